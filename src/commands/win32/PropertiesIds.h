#pragma once
// Control ids of the program Properties dialog template.
#define IDD_PROPERTIES 300
#define IDC_PROP_PICTURE 301
#define IDC_PROP_NAME 302
#define IDC_PROP_TARGET 303
#define IDC_PROP_BROWSE 304
#define IDC_PROP_ARGUMENTS 305
