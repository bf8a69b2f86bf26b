#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "file_bytes.h"
#include "file_size_limit.h"
#include "scratch_dir.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"

using namespace zylcarto;

using test::ReadFile;
using test::WriteFile;
using test::ScratchPath;

TEST(MemoryStream, ReadWriteSeek) {
    TMemoryStream s;
    s.WriteString("hello");
    EXPECT_EQ(s.Size(), 5);
    EXPECT_EQ(s.Position(), 5);
    s.SetPosition(8);  // writing past the end fills the gap with zeros
    s.WriteString("!");
    EXPECT_EQ(s.Size(), 9);
    EXPECT_EQ(s.Memory()[6], 0);
    s.SetPosition(1);
    char buf[16] = {};
    EXPECT_EQ(s.Read(buf, 3), 3u);
    EXPECT_STREQ(buf, "ell");
    s.SetPosition(8);
    EXPECT_EQ(s.ReadByte(), '!');
    EXPECT_EQ(s.ReadByte(), -1);
    EXPECT_EQ(s.Read(buf, 4), 0u);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
}

TEST(MemoryStream, FileRoundTripAndErrors) {
    TMemoryStream s;
    WriteLnStream(s, "line");
    const auto path = ScratchPath("mem.bin");
    s.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), "line\r\n");
    TMemoryStream t;
    t.LoadFromFile(path);
    EXPECT_EQ(t.Size(), 6);
    EXPECT_THROW(t.LoadFromFile(ScratchPath("missing/none")), EInOutError);
    std::filesystem::remove(path);
}

TEST(TextFile, LinesEndInCrLfAndReadBack) {
    const auto path = ScratchPath("text.txt");
    TTextFile w;
    w.OpenWrite(path);
    w.WriteLn("first");
    w.Write("sec");
    w.WriteLn("ond");
    w.WriteLn();
    w.Close();
    EXPECT_EQ(ReadFile(path), "first\r\nsecond\r\n\r\n");

    WriteFile(path, "a\r\nb\nlast");
    TTextFile r;
    ASSERT_TRUE(r.OpenRead(path));
    std::string line;
    std::vector<std::string> lines;
    while (r.ReadLn(line)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "last"}));
    EXPECT_TRUE(r.Eof());
    std::filesystem::remove(path);
}

TEST(TextFile, OpenFailures) {
    TTextFile r;
    EXPECT_FALSE(r.OpenRead(ScratchPath("does-not-exist")));
    TTextFile w;
    EXPECT_THROW(w.OpenWrite(ScratchPath("no-such-dir/x.txt")), EInOutError);
    EXPECT_THROW(w.WriteLn("x"), EInOutError);  // not open
}

TEST(FileWriters, AFailedWriteLeavesTheOldFileAndALinkLeadsToTheFile) {
    namespace fs = std::filesystem;
    const std::string bytes(100, 'n');
    struct Writer {
        const char* Name;
        std::function<void(const std::string&)> Write;
        bool Completes;
    };
    const Writer writers[] = {{"TTextFile",
                               [&](const std::string& p) {
                                   TTextFile f;
                                   f.OpenWrite(p);
                                   f.Write(bytes);
                                   f.Close();
                               },
                               true},
                              {"SaveToFile",
                               [&](const std::string& p) {
                                   TMemoryStream s;
                                   s.WriteString(bytes);
                                   s.SaveToFile(p);
                               },
                               true},
                              {"WriteFileBytes", [&](const std::string& p) { WriteFileBytes(p, bytes); }, true},
                              {"TTextFile left without Close",
                               [&](const std::string& p) {
                                   TTextFile f;
                                   f.OpenWrite(p);
                                   f.Write(bytes);
                                   throw EInOutError(p, 0, "given up");
                               },
                               false}};
    const std::string path = ScratchPath("kept.txt"), link = ScratchPath("link.txt");
    for (const Writer& w : writers) {
        WriteFile(path, "old");
        {
            const zylcarto::test::TFileSizeLimit limit(10);  // the write fails midway
            EXPECT_THROW(w.Write(path), EInOutError) << w.Name;
        }
        EXPECT_EQ(ReadFile(path), "old") << w.Name;
        EXPECT_FALSE(fs::exists(path + ".part")) << w.Name;
        if (!w.Completes) continue;
        fs::remove(link);
        fs::create_symlink(path, link);
        w.Write(link);
        EXPECT_TRUE(fs::is_symlink(link)) << w.Name;  // the file it leads to is replaced, not the link
        EXPECT_EQ(ReadFile(path), bytes) << w.Name;
    }
}
