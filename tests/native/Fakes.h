#pragma once
// In-memory stand-ins for the platform services the rules use.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/AppBarShell.h"
#include "base/FileSystem.h"
#include "base/RunKey.h"
#include "base/RuntimeError.h"
#include "base/TextFile.h"
#include "base/UiPorts.h"
#include "base/Unicode.h"
#include "startup/Program.h"
#include "startup/Settings.h"

namespace lark::test {

struct ShownBox {
    std::string text;
    std::string title;
    BoxIcon icon;
    BoxButtons buttons;
};

class FakeMessageBox : public IMessageBox {
public:
    BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon, BoxButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (log) log->push_back("box:" + text);
        return answer;
    }
    std::vector<ShownBox> shown;
    BoxAnswer answer = BoxAnswer::Ok;
    std::vector<std::string>* log = nullptr;
};

class FakePointer : public IMousePointer {
public:
    void SetBusy() override { busy = true; ++busyCalls; }
    void SetDefault() override { busy = false; ++defaultCalls; }
    bool Busy() const override { return busy; }
    bool busy = false;
    int busyCalls = 0;
    int defaultCalls = 0;
};

class FakeSettingsStore : public ISettingsStore {
public:
    std::optional<std::string> Read(const std::string& app, const std::string& section,
                                    const std::string& key) override {
        reads.push_back(key);
        auto it = values.find(app + "\\" + section + "\\" + key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& value) override {
        if (key == failOnKey) Raise(kErrPermissionDenied);
        writes.push_back(key);
        values[app + "\\" + section + "\\" + key] = value;
        if (log) log->push_back("save:" + key);
    }
    void Set(const std::string& key, const std::string& value) { values["Larkspan\\Load\\" + key] = value; }
    std::optional<std::string> Get(const std::string& key) const {
        auto it = values.find("Larkspan\\Load\\" + key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> reads;
    std::vector<std::string> writes;
    std::string failOnKey;
    std::vector<std::string>* log = nullptr;
};

class FakeRunKey : public IRunKey {
public:
    std::optional<std::string> Read(const std::string& name) override {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void Write(const std::string& name, const std::string& command) override {
        if (refuse) Raise(kErrPermissionDenied);
        values[name] = command;
    }
    void Remove(const std::string& name) override {
        if (refuse) Raise(kErrPermissionDenied);
        values.erase(name);
    }
    std::map<std::string, std::string> values;
    bool refuse = false;
};

class FakeFileSystem : public IFileSystem {
public:
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    std::string ReadBytes(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) Raise(kErrFileNotFound);
        return it->second;
    }
    void SaveAtomically(const std::string& path, const std::string& bytes, const std::string& backupPath) override {
        if (readOnly) Raise(kErrPathFileAccess);
        if (readOnlyFiles.count(path)) Raise(kErrPermissionDenied);
        auto old = files.find(path);
        if (old != files.end() && !backupPath.empty()) files[backupPath] = old->second;
        files[path] = bytes;
        ++saves;
        if (log) log->push_back("write:" + path);
    }
    bool CanCreateFilesIn(const std::string& folder) override { return !readOnly && !readOnlyFolders.count(folder); }
    void CreateFolder(const std::string& folder) override {
        if (readOnly) Raise(kErrPathFileAccess);
        folders.insert(folder);
    }
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> readOnlyFiles;
    std::set<std::string> readOnlyFolders;
    bool readOnly = false;
    int saves = 0;
    std::vector<std::string>* log = nullptr;
};

// A single-byte code page that holds exactly U+0000..U+00FF (Latin-1).
class FakeCodePage : public IAnsiCodePage {
public:
    std::string ToUtf8(std::string_view ansi) override {
        std::string out;
        for (char c : ansi) AppendUtf8(out, static_cast<unsigned char>(c));
        return out;
    }
    std::optional<std::string> FromUtf8(std::string_view utf8) override {
        std::string out;
        size_t pos = 0;
        while (pos < utf8.size()) {
            const char32_t c = NextCodePoint(utf8, pos);
            if (c > 0xFF) return std::nullopt;
            out += static_cast<char>(c);
        }
        return out;
    }
};

class FakeAppBarShell : public IAppBarShell {
public:
    uintptr_t Send(AppBarMessage message, AppBarData& data) override {
        if (failOn && *failOn == message) Raise(kErrObjectNotSet);
        sent.push_back({message, data});
        if (log) log->push_back("appbar:" + std::to_string(message));
        return 1;
    }
    struct Sent {
        AppBarMessage message;
        AppBarData data;
    };
    std::vector<Sent> sent;
    std::optional<AppBarMessage> failOn;
    std::vector<std::string>* log = nullptr;
};

// Records every step the start-up spine asks of the window layer.
class FakeForm : public IForm {
public:
    FakeForm(std::string formName, std::vector<std::string>& sink) : name(std::move(formName)), log(sink) {}
    void Unload() override {
        log.push_back("unload:" + name);
        if (onUnload) onUnload();
    }
    std::string name;
    std::vector<std::string>& log;
    std::function<void()> onUnload;
};

class FakeHost : public IProgramHost {
public:
    bool PreviousInstanceRunning() override { return step("instance"), previousInstance; }
    ScreenMeasures MeasureScreen() override { return step("screen"), screen; }
    std::string ProgramFolder() override { return programFolder; }
    std::string AppDataFolder() override { return appDataFolder; }
    void LoadUtilityForm() override { step("f_Util"); }
    void UseColours() override { step("colours"); }
    void ImportShellFolder(int32_t folderNumber, bool showProgress) override {
        step("import:" + std::to_string(folderNumber) + (showProgress ? "+progress" : ""));
    }
    void InitImageLists() override { step("imagelists"); }
    void LoadCatalogue(const std::string& path) override { step("load:" + path); }
    void BuildMainMenu() override { step("menu"); }
    void HideDock() override { step("hide-dock"); }
    void ShowFloat() override { step("show-float"); }
    void ShowConfiguredBar() override { step("configured-bar"); }
    std::vector<IForm*> LoadedForms() override {
        std::vector<IForm*> out;
        for (auto& f : forms) out.push_back(&f);
        return out;
    }

    void step(const std::string& name) {
        log.push_back(name);
        if (name == failAt) Raise(failWith);
    }

    std::vector<std::string> log;
    std::vector<FakeForm> forms;
    bool previousInstance = false;
    ScreenMeasures screen{1024, 768, 96, 96};
    std::string programFolder = "C:\\Apps\\Larkspan";
    std::string appDataFolder = "C:\\Users\\Ann\\AppData\\Roaming";
    std::string failAt;
    int32_t failWith = kErrOutOfMemory;
};

// A whole program wired to fakes.
struct FakeWorld {
    FakeMessageBox box;
    FakePointer pointer;
    FakeSettingsStore settings;
    FakeFileSystem files;
    FakeCodePage codePage;
    FakeAppBarShell appBar;
    Platform platform{box, pointer, settings, files, codePage, appBar};
    FakeHost host;
    App app{platform};
};

}  // namespace lark::test
