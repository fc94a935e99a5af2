#pragma once
// In-memory stand-ins for the platform services the rules use.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/FileSystem.h"
#include "app/Program.h"
#include "app/RuntimeError.h"
#include "app/Settings.h"
#include "app/UiPorts.h"
#include "bar/AppBarShell.h"
#include "catalogue/ProfileFile.h"

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

class FakeFileSystem : public IFileSystem {
public:
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    void WriteAll(const std::string& path, const std::string& bytes) override {
        if (readOnly) Raise(kErrPathFileAccess);
        files[path] = bytes;
        if (log) log->push_back("write:" + path);
    }
    std::string ReadText(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) Raise(kErrFileNotFound);
        return it->second;
    }
    std::map<std::string, std::string> files;
    bool readOnly = false;
    std::vector<std::string>* log = nullptr;
};

class FakeProfileFile : public IProfileFile {
public:
    size_t GetString(const std::string&, const std::string&, const std::string&, std::string& buffer, size_t,
                     const std::string&) override {
        buffer = stringBuffer;
        return stringCount;
    }
    size_t GetSection(const std::string&, std::string& buffer, size_t, const std::string&) override {
        buffer = sectionBuffer;
        return sectionCount;
    }
    bool WriteString(const std::string& section, const std::optional<std::string>& key,
                     const std::optional<std::string>& value, const std::string& path) override {
        writes.push_back({section, key, value, path});
        return true;
    }
    struct Write {
        std::string section;
        std::optional<std::string> key;
        std::optional<std::string> value;
        std::string path;
    };
    std::vector<Write> writes;
    std::string stringBuffer;
    size_t stringCount = 0;
    std::string sectionBuffer;
    size_t sectionCount = 0;
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
    void LoadUtilityForm() override { step("f_Util"); }
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
    std::string failAt;
    int32_t failWith = kErrOutOfMemory;
};

// A whole program wired to fakes.
struct FakeWorld {
    FakeMessageBox box;
    FakePointer pointer;
    FakeSettingsStore settings;
    FakeFileSystem files;
    FakeProfileFile profile;
    FakeAppBarShell appBar;
    Platform platform{box, pointer, settings, files, profile, appBar};
    FakeHost host;
    App app{platform, host};
};

}  // namespace lark::test
