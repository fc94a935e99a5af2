#pragma once
// Control ids of the Options dialog template.
#define IDD_OPTIONS 200
#define IDC_TBSOPTIONS 201
#define IDC_FRAME1 210
#define IDC_FRASAMPLE1 211
#define IDC_FRAME2 212
#define IDC_LABEL1 213
#define IDC_FRASAMPLE2 214
#define IDC_OPTION1_0 220
#define IDC_OPTION1_1 221
#define IDC_OPTION1_2 222
#define IDC_OPTION1_3 223
#define IDC_OPTION1_4 224
#define IDC_OPTION1_6 226
#define IDC_OPTION1_7 227
#define IDC_CMDLOAD_0 230
#define IDC_CMDLOAD_1 231
#define IDC_CMDLOAD_2 232
#define IDC_CMDLOAD_3 233
#define IDC_CMDLOAD_4 234
#define IDC_CMDAPPLY 240
