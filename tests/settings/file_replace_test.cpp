// The safe rewrite of the configuration file against a disk that keeps only what was
// flushed: a failure or a power cut at any step leaves the old file or the new one, whole.
#include "vlox/settings/file_replace.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct PowerCut {};

// Steps: 0 create, 1 write, 2 flush, 3 close, 4 replace. A failing write has written half.
class FakeDisk : public FileReplaceHost {
public:
    std::map<std::string, std::string> Files;  // what is on the disk
    int FailAt = -1;
    int CutAt = -1;

    bool CreateTemporary() override
    {
        if (!Step())
            return false;
        Files["tmp"] = "";
        cache_.clear();
        return true;
    }
    bool WriteTemporary(const std::string& bytes) override
    {
        if (!Step()) {
            cache_ += bytes.substr(0, bytes.size() / 2);
            return false;
        }
        cache_ += bytes;
        return true;
    }
    bool FlushTemporary() override
    {
        if (!Step())
            return false;
        Files["tmp"] = cache_;
        return true;
    }
    bool CloseTemporary() override { return Step(); }
    bool ReplaceTarget() override
    {
        if (!Step())
            return false;
        Files["target"] = Files["tmp"];
        Files.erase("tmp");
        return true;
    }
    void DiscardTemporary() override { Files.erase("tmp"); }

private:
    bool Step()
    {
        const int s = step_++;
        if (s == CutAt)
            throw PowerCut{};
        return s != FailAt;
    }
    int step_ = 0;
    std::string cache_;  // written, not yet on the disk
};

}  // namespace

TEST(FileReplace, OldOrNewWholeAtEveryFailureAndCut)
{
    const std::string oldBytes(3000, 'o');
    const std::string newBytes(3100, 'n');
    for (int step = 0; step < 5; ++step) {
        SCOPED_TRACE(step);
        FakeDisk failing;
        failing.Files["target"] = oldBytes;
        failing.FailAt = step;
        EXPECT_FALSE(ReplaceFileContents(failing, newBytes));
        EXPECT_EQ(failing.Files["target"], oldBytes);
        EXPECT_EQ(failing.Files.count("tmp"), 0u);

        // A cut runs no clean-up: a half-made temporary file may stay, the target is whole.
        FakeDisk cut;
        cut.Files["target"] = oldBytes;
        cut.CutAt = step;
        EXPECT_THROW(ReplaceFileContents(cut, newBytes), PowerCut);
        EXPECT_EQ(cut.Files["target"], oldBytes);
    }
    FakeDisk disk;
    disk.Files["target"] = oldBytes;
    disk.Files["tmp"] = "left by an earlier cut";
    EXPECT_TRUE(ReplaceFileContents(disk, newBytes));
    EXPECT_EQ(disk.Files["target"], newBytes);
    EXPECT_EQ(disk.Files.count("tmp"), 0u);
}
