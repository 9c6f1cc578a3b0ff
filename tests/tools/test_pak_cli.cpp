// cordelune-pak as a user runs it: exit statuses, one-line errors, files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kPak = std::string(CORDELUNE_BINARY_DIR) + "/bin/cordelune-pak";

struct PakRun {
    int status = -1;
    std::string out, err;
};

class PakCli : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/cordelune-pak-XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        m_dir = tmpl;
        Write("a.txt", std::string(3000, 'a') + "then something else\n");
        Write("b.bin", std::string("\x00\x01\x02\xff", 4) + std::string(70000, '\x7f'));
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    void Write(const std::string& name, const std::string& data) const {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
    std::string Read(const std::string& name) const {
        std::string s;
        if (FILE* f = std::fopen(Path(name).c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) s.append(buf, n);
            std::fclose(f);
        }
        return s;
    }
    bool Exists(const std::string& name) const {
        struct stat st;
        return stat(Path(name).c_str(), &st) == 0;
    }
    PakRun Pak(const std::string& args) const {
        const std::string cmd =
            "cd '" + m_dir + "' && '" + kPak + "' " + args + " >'" + m_dir + "/.out' 2>'" + m_dir + "/.err'";
        PakRun r;
        const int s = std::system(cmd.c_str());
        r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
        r.out = Read(".out");
        r.err = Read(".err");
        return r;
    }
    static bool OneLine(const std::string& s) { return !s.empty() && s.find('\n') == s.size() - 1; }

    std::string m_dir;
};

} // namespace

TEST_F(PakCli, PackListExtractTest) {
    ASSERT_EQ(Pak("pack x.rar a.txt b.bin").status, 0);
    const PakRun list = Pak("list x.rar");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("a.txt"), std::string::npos);
    EXPECT_NE(list.out.find("70004"), std::string::npos); // size of b.bin
    EXPECT_NE(list.out.find("0x33"), std::string::npos);  // default method
    EXPECT_NE(list.out.find("0x8080"), std::string::npos);

    const PakRun toStdout = Pak("extract x.rar b.bin");
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, Read("b.bin"));
    EXPECT_EQ(Pak("extract x.rar A.TXT -o copy.txt").status, 0);
    EXPECT_EQ(Read("copy.txt"), Read("a.txt"));

    const PakRun test = Pak("test x.rar");
    EXPECT_EQ(test.status, 0);
    EXPECT_NE(test.out.find("2 of 2 entries OK"), std::string::npos);
}

TEST_F(PakCli, EveryMethodFolderSolidAndPassword) {
    for (const char* opts : {"-m0", "-m1", "-m2", "-m4", "-m5 --solid", "-m3 --audio on", "-m3 --audio off"}) {
        ASSERT_EQ(Pak(std::string("pack y.rar a.txt b.bin ") + opts).status, 0) << opts;
        EXPECT_EQ(Pak("test y.rar").status, 0) << opts;
        EXPECT_EQ(Pak("extract y.rar a.txt").out, Read("a.txt")) << opts;
    }
    ASSERT_EQ(Pak("pack d.rar a.txt b.bin --dir Digits -m1 -p 'MQ P5P ZZ'").status, 0);
    const PakRun list = Pak("list d.rar");
    EXPECT_NE(list.out.find("Digits\\a.txt"), std::string::npos);
    EXPECT_NE(list.out.find("0x8084"), std::string::npos);
    EXPECT_NE(list.out.find("0x80E0"), std::string::npos); // the folder entry
    EXPECT_EQ(Pak("extract d.rar digits/a.txt -p 'MQ P5P ZZ'").out, Read("a.txt"));
    EXPECT_EQ(Pak("test d.rar -p 'MQ P5P ZZ'").status, 0);
}

TEST_F(PakCli, FailuresGiveOneLineAndNonZeroStatus) {
    ASSERT_EQ(Pak("pack p.rar a.txt -p secret").status, 0);
    PakRun r = Pak("extract p.rar a.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(OneLine(r.err)) << r.err;
    EXPECT_NE(r.err.find("password"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    r = Pak("extract p.rar a.txt -p wrong -o out.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("CRC mismatch"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out.txt"));
    EXPECT_EQ(Pak("test p.rar -p wrong").status, 1);

    r = Pak("extract p.rar missing.txt -p secret");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(OneLine(r.err)) << r.err;
    EXPECT_NE(r.err.find("no such entry"), std::string::npos) << r.err;

    const std::string rar3 = std::string(CORDELUNE_TEST_DATA_DIR) + "/testfile.rar3.rar";
    r = Pak("extract '" + rar3 + "' testfile.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unpack version 29"), std::string::npos) << r.err;

    Write("junk.rar", "not an archive at all");
    r = Pak("list junk.rar");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(OneLine(r.err)) << r.err;

    // A damaged entry: flip a byte in the packed data.
    ASSERT_EQ(Pak("pack q.rar a.txt").status, 0);
    std::string q = Read("q.rar");
    q[q.size() - 12] ^= 0x55;
    Write("q.rar", q);
    EXPECT_EQ(Pak("test q.rar").status, 1);
}

TEST_F(PakCli, FailedPackLeavesNoArchive) {
    PakRun r = Pak("pack new.rar a.txt does-not-exist.bin");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(OneLine(r.err)) << r.err;
    EXPECT_FALSE(Exists("new.rar"));

    ASSERT_EQ(Pak("pack old.rar a.txt").status, 0);
    const std::string before = Read("old.rar");
    EXPECT_EQ(Pak("pack old.rar b.bin missing").status, 1);
    EXPECT_EQ(Read("old.rar"), before); // the existing archive is untouched
    EXPECT_EQ(Pak("pack old.rar a.txt a.txt").status, 1); // two entries of one name

    // No temporary files left behind.
    const PakRun ls = Pak("list old.rar");
    std::system(("ls -a '" + m_dir + "' > '" + m_dir + "/.ls'").c_str());
    EXPECT_EQ(Read(".ls").find(".rar."), std::string::npos) << Read(".ls");
    EXPECT_EQ(ls.status, 0);
}

TEST_F(PakCli, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Pak("").status, 2);
    EXPECT_EQ(Pak("frobnicate x.rar").status, 2);
    EXPECT_EQ(Pak("extract x.rar").status, 2);
    EXPECT_EQ(Pak("pack x.rar").status, 2);
    EXPECT_EQ(Pak("pack x.rar a.txt -m9").status, 2);
    EXPECT_EQ(Pak("pack x.rar a.txt --audio loud").status, 2);
    EXPECT_EQ(Pak("extract x.rar a.txt -p").status, 2);
    EXPECT_FALSE(Exists("x.rar"));
}
