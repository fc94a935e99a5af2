#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <utility>

#include "Fakes.h"
#include "dialogs/SysInfo.h"

namespace lark::test {
namespace {

using namespace std::string_literals;

// A registry in memory that copies values into the caller's buffer the way
// the platform does: nothing is written when the value does not fit.
class FakeRegistry : public IRegistryReader {
public:
    struct Value {
        uint32_t type;
        std::string bytes;
    };

    void Set(RegistryRoot root, const std::string& key, const std::string& name, uint32_t type,
             std::string bytes) {
        keys[{root, key}][name] = Value{type, std::move(bytes)};
    }

    bool Open(RegistryRoot root, const std::string& keyName, Key& key) override {
        if (throwOnOpen) Raise(kErrOutOfMemory);
        auto it = keys.find({root, keyName});
        if (it == keys.end()) return false;
        key = ++lastHandle;
        open[key] = &it->second;
        return true;
    }
    bool Query(Key key, const std::string& valueName, uint32_t& type, std::string& buffer,
               uint32_t& size) override {
        rooms.push_back(buffer.size());
        auto it = open.at(key)->find(valueName);
        if (it == open.at(key)->end() || it->second.bytes.size() > buffer.size()) return false;
        buffer.replace(0, it->second.bytes.size(), it->second.bytes);
        type = it->second.type;
        size = static_cast<uint32_t>(it->second.bytes.size());
        return true;
    }
    void Close(Key key) override { open.erase(key); }

    std::map<std::pair<RegistryRoot, std::string>, std::map<std::string, Value>> keys;
    std::map<Key, std::map<std::string, Value>*> open;
    std::vector<size_t> rooms;
    Key lastHandle = 0;
    bool throwOnOpen = false;
};

class FakeStarter : public IProgramStarter {
public:
    void Start(const std::string& path) override {
        if (fail) Raise(kErrFileNotFound);
        started.push_back(path);
    }
    std::vector<std::string> started;
    bool fail = false;
};

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::string kKey = "Software\\Test";

class GetKeyValueTest : public ::testing::Test {
protected:
    // Reads "V" of the test key; keyVal starts as "old" to show what changes.
    bool Read(std::string& keyVal) {
        keyVal = "old";
        return GetKeyValue(registry, kUser, kKey, "V", keyVal);
    }
    void Store(uint32_t type, std::string bytes) { registry.Set(kUser, kKey, "V", type, std::move(bytes)); }

    FakeRegistry registry;
};

TEST_F(GetKeyValueTest, TextComesBackWithoutItsTerminatingNulOrWholeWhenStoredWithoutOne) {
    std::string value;
    Store(kRegSz, "C:\\Tools\\info.exe\0"s);
    EXPECT_TRUE(Read(value));
    EXPECT_EQ(value, "C:\\Tools\\info.exe");

    Store(kRegSz, "C:\\Tools\\info.exe");
    EXPECT_TRUE(Read(value));
    EXPECT_EQ(value, "C:\\Tools\\info.exe");

    // Only the one NUL at the stored end goes.
    Store(kRegSz, "ab\0\0"s);
    EXPECT_TRUE(Read(value));
    EXPECT_EQ(value, "ab\0"s);

    Store(kRegSz, "\0"s);
    EXPECT_TRUE(Read(value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(registry.open.empty()) << "every opened key is closed";
}

TEST_F(GetKeyValueTest, ValuesUpToTheRoomOfTheBufferAreRead) {
    std::string value;
    Store(kRegSz, std::string(1024, 'x'));
    EXPECT_TRUE(Read(value));
    EXPECT_EQ(value, std::string(1024, 'x'));
    EXPECT_EQ(registry.rooms.back(), 1024u);

    Store(kRegSz, std::string(1025, 'x'));
    EXPECT_FALSE(Read(value));
    EXPECT_EQ(value, "");
}

TEST_F(GetKeyValueTest, ADwordGivesItsValueInDecimal) {
    const std::pair<std::string, std::string> cases[] = {
        {"\x2A\0\0\0"s, "42"},
        {"\0\0\0\0"s, "0"},
        {"\0\x01\0\0"s, "256"},                 // inner zero bytes keep their place
        {"\x04\x03\x02\x01"s, "16909060"},      // no NUL at the end: nothing cut
        {"\xFF\xFF\x00\x00"s, "65535"},
        {"\xFF\xFF\xFF\xFF"s, "4294967295"},    // unsigned, not -1
        {"\x00\x00\x00\x80"s, "2147483648"},
    };
    for (const auto& [bytes, expected] : cases) {
        std::string value;
        Store(kRegDword, bytes);
        EXPECT_TRUE(Read(value));
        EXPECT_EQ(value, expected);
    }
}

TEST_F(GetKeyValueTest, OtherTypesAreReadButLeaveTheTextAsItWas) {
    std::string value;
    Store(3, "\x01\x02"s);  // REG_BINARY
    EXPECT_TRUE(Read(value));
    EXPECT_EQ(value, "old");
    Store(2, "%PATH%\0"s);  // REG_EXPAND_SZ
    EXPECT_TRUE(Read(value));
    EXPECT_EQ(value, "old");
}

TEST_F(GetKeyValueTest, AMissingKeyOrValueEmptiesTheText) {
    std::string value;
    EXPECT_FALSE(Read(value));
    EXPECT_EQ(value, "");

    registry.Set(kUser, kKey, "Other", kRegSz, "x");
    EXPECT_FALSE(Read(value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(registry.open.empty());

    registry.Set(RegistryRoot::LocalMachine, kKey, "V", kRegSz, "x");
    EXPECT_FALSE(Read(value)) << "the root is part of the key's name";
}

// The number a read raises, 0 for none.
int ErrorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

TEST_F(GetKeyValueTest, AnEmptyValueOrAnOverlongDwordRaisesAndStillClosesTheKey) {
    std::string value;
    Store(kRegSz, "");
    EXPECT_EQ(ErrorOf([&] { Read(value); }), kErrInvalidCall);
    EXPECT_TRUE(registry.open.empty());
    Store(kRegDword, "");
    EXPECT_EQ(ErrorOf([&] { Read(value); }), kErrInvalidCall);
    Store(kRegDword, "\x01\x02\x03\x04\x05"s);
    EXPECT_EQ(ErrorOf([&] { Read(value); }), kErrOverflow);
    EXPECT_TRUE(registry.open.empty());
}

const std::string kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

class StartSysInfoTest : public ::testing::Test {
protected:
    void Run() { StartSysInfo(registry, files, starter, boxes, "Larkspan"); }
    void ExpectUnavailable() {
        EXPECT_TRUE(starter.started.empty());
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "System Information Is Unavailable At This Time");
        EXPECT_EQ(boxes.shown[0].title, "Larkspan");
        EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::Ok);
    }

    FakeRegistry registry;
    FakeFileSystem files;
    FakeStarter starter;
    FakeMessageBox boxes;
};

TEST_F(StartSysInfoTest, ThePathOfTheFirstKeyIsStartedFirst) {
    registry.Set(kMachine, kMsinfoKey, "PATH", kRegSz, "C:\\Program Files\\MSInfo\\msinfo32.exe\0"s);
    registry.Set(kMachine, kLocationKey, "MSINFO", kRegSz, "D:\\Other\0"s);
    files.files["D:\\Other\\MSINFO32.EXE"] = "";
    Run();
    EXPECT_EQ(starter.started, std::vector<std::string>{"C:\\Program Files\\MSInfo\\msinfo32.exe"});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(registry.open.empty());
}

TEST_F(StartSysInfoTest, WithoutTheFirstKeyTheProgramInTheNamedFolderIsStarted) {
    registry.Set(kMachine, kMsinfoKey, "Other", kRegSz, "x");  // key without the value
    registry.Set(kMachine, kLocationKey, "MSINFO", kRegSz, "C:\\Shared\\MSInfo\0"s);
    files.files["C:\\Shared\\MSInfo\\MSINFO32.EXE"] = "";
    Run();
    EXPECT_EQ(starter.started, std::vector<std::string>{"C:\\Shared\\MSInfo\\MSINFO32.EXE"});
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartSysInfoTest, AFolderWithoutTheProgramStartsNothing) {
    registry.Set(kMachine, kLocationKey, "MSINFO", kRegSz, "C:\\Shared\\MSInfo\0"s);
    Run();
    ExpectUnavailable();
}

TEST_F(StartSysInfoTest, NoKeysAtAllTellTheUser) {
    Run();
    ExpectUnavailable();
}

TEST_F(StartSysInfoTest, EveryErrorOnTheWayEndsInTheSameMessage) {
    registry.Set(kMachine, kMsinfoKey, "PATH", kRegSz, "");  // empty: an invalid call
    registry.Set(kMachine, kLocationKey, "MSINFO", kRegSz, "C:\\Shared");
    files.files["C:\\Shared\\MSINFO32.EXE"] = "";
    Run();
    ExpectUnavailable();
}

TEST_F(StartSysInfoTest, AProgramThatWillNotStartTellsTheUser) {
    registry.Set(kMachine, kMsinfoKey, "PATH", kRegSz, "C:\\gone.exe");
    starter.fail = true;
    Run();
    ExpectUnavailable();
}

TEST_F(StartSysInfoTest, APathOfAnotherTypeLeavesNothingToStart) {
    registry.Set(kMachine, kMsinfoKey, "PATH", 3, "C:\\x.exe"s);  // REG_BINARY
    Run();
    ExpectUnavailable();
}

TEST_F(StartSysInfoTest, ARegistryThatFailsTellsTheUser) {
    registry.throwOnOpen = true;
    Run();
    ExpectUnavailable();
}

}  // namespace
}  // namespace lark::test
