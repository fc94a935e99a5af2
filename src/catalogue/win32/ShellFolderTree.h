#pragma once
// The shell's folder tree for Auto Load: special folders by CSIDL, items as
// the file system lists them, shortcuts read through IShellLinkW. COM must
// be initialised on the calling thread.
#include "catalogue/ShellImport.h"

namespace lark::win {

class ShellFolderTree : public IFolderTree {
public:
    // A special folder without a file-system path (the network folder) is
    // an empty folder; a number the shell does not know raises.
    std::unique_ptr<IFolder> OpenSpecialFolder(int32_t folderNumber) override;
    // Any folder by its path, titled by the shell like a special folder.
    std::unique_ptr<IFolder> OpenPath(const std::string& path);
};

}  // namespace lark::win
