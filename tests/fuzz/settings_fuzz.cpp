// libFuzzer target: arbitrary bytes as settings.ini beside the program,
// read at every start for the pictures of file types. Nothing may crash or
// hang; what loads is a list of usable keys, each in both image lists.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>  // the fakes use these without including them
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Require.h"
#include "../native/Fakes.h"
#include "base/RuntimeError.h"
#include "base/TextFile.h"
#include "icons/IconCache.h"

namespace {

using namespace lark;
using namespace lark::fuzz;
using namespace lark::test;

// Image lists that refuse a key twice, and a disk where settings.ini and
// every name of an even length exist.
class Lists : public ICachePictures {
public:
    explicit Lists(std::string settings) : settings_(std::move(settings)) {}
    bool FileExists(const std::string& path) override { return path == settings_ || FileExistsOf(path); }
    void AddToSmallList(const std::string& key, const std::string& file) override { Add(small, key, file); }
    void AddToLargeList(const std::string& key, const std::string& file) override { Add(large, key, file); }
    std::map<std::string, std::string> small, large;

private:
    // settings.ini itself exists too: a line may name it as a picture.
    void Add(std::map<std::string, std::string>& list, const std::string& key, const std::string& file) {
        Require(FileExists(file), "a picture file that does not exist was loaded");
        if (!list.emplace(key, file).second) Raise(kErrKeyNotUnique);
    }
    static bool FileExistsOf(const std::string& file) { return file.size() % 2 == 0; }
    std::string settings_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FakeFileSystem files;
    FakeCodePage codePage;
    const std::string folder = "C:\\Bar";
    files.files[folder + "\\settings.ini"] = bytes;
    Lists lists(folder + "\\settings.ini");
    std::vector<std::string> keys{"stale"};
    LoadIconCache(keys, folder, files, codePage, lists);

    Require(!keys.empty() && keys[0].empty(), "element 0 is not the empty key");
    Require(!IsCachedIcon(keys, ""), "the empty key matched");
    const std::string text = DecodeText(bytes, codePage);
    size_t equals = 0;
    for (char c : text) equals += c == '=';
    Require(keys.size() - 1 <= equals, "more keys than lines with a name");
    std::set<std::string> seen;
    for (size_t i = 1; i < keys.size(); ++i) {
        const std::string& key = keys[i];
        Require(key.find_first_not_of(' ') != std::string::npos, "a blank key was loaded");
        for (char c : key) Require(!(c >= 'a' && c <= 'z') && c != '=' && c != '\0', "a key not as types are asked");
        Require(seen.insert(key).second, "a key loaded twice");
        Require(IsCachedIcon(keys, key), "a loaded key is not found");
        Require(lists.small.count(key) && lists.large.count(key), "a key missing from a list");
        Require(lists.small[key] == lists.large[key], "the lists hold different pictures under one key");
    }
    return 0;
}
