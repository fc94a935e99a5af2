#pragma once
// The shell's folder tree for Auto Load: special folders by CSIDL, items as
// the file system lists them, shortcuts read through IShellLinkW. A folder
// that lives only in the shell's namespace (the network) is walked through
// the shell's own enumeration. COM must be initialised on the calling
// thread.
#include "base/Shortcuts.h"
#include "catalogue/ShellImport.h"

namespace lark::win {

class ShellFolderTree : public IFolderTree {
public:
    // A number the shell does not know raises.
    std::unique_ptr<IFolder> OpenSpecialFolder(int32_t folderNumber) override;
    // Any folder by its path, titled by the shell like a special folder.
    std::unique_ptr<IFolder> OpenPath(const std::string& path);
    // The same folder walked as the shell enumerates a folder that has no
    // file-system path.
    std::unique_ptr<IFolder> OpenPathInNamespace(const std::string& path);
};

// Shell links (.lnk) read through IShellLinkW.
class ShortcutReader : public IShortcutReader {
public:
    LinkTarget ReadShortcut(const std::string& path) override;
};

}  // namespace lark::win
