// The release as users get it: the packages scripts/package made, unpacked
// the way users unpack them, and the tool run from there against the
// simulator that comes with it. The build names the packages' folder and
// what they were made from: --dist=DIR --source=DIR --i686-bin=DIR
// --version=X.Y, and the POSIX tool in the build folder: --tool=FILE.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/expected_output.h"
#include "support/process.h"

namespace {

namespace fs = std::filesystem;

std::string distDir;
std::string sourceDir;
std::string i686Bin;
std::string version;
std::string builtTool;

// A program named without a folder is looked up in PATH, as a shell would.
std::string FindProgram(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char *path = getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return name;
}

ProcessResult RunCommand(const std::vector<std::string> &argv, const std::string &folder = "",
                         const std::vector<std::pair<std::string, std::string>> &environment = {})
{
    ProcessSpec spec;
    spec.argv = argv;
    spec.argv[0] = FindProgram(argv[0]);
    spec.workingDirectory = folder;
    spec.environment = environment;
    return RunProcess(spec);
}

// Runs a helper program that must succeed; its stdout.
std::string MustRun(const std::vector<std::string> &argv, const std::string &folder = "")
{
    ProcessResult result = RunCommand(argv, folder);
    EXPECT_EQ(result.exitCode, 0) << argv[0] << " failed: " << result.err;
    return result.out;
}

// The one file in the packages' folder whose name ends so.
std::string Package(const std::string &suffix)
{
    std::vector<std::string> found;
    for (const fs::directory_entry &entry : fs::directory_iterator(distDir)) {
        std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(entry.path().string());
    }
    EXPECT_EQ(found.size(), 1u) << "packages ending in " << suffix << " in " << distDir;
    return found.empty() ? std::string() : found[0];
}

// Every file below folder, as sorted relative paths.
std::vector<std::string> FilesBelow(const std::string &folder)
{
    std::vector<std::string> files;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The names a SHA256SUMS file lists, after sha256sum -c has checked them all.
std::vector<std::string> CheckedSums(const std::string &folder)
{
    ProcessResult check = RunCommand({"sha256sum", "--strict", "-c", "SHA256SUMS"}, folder);
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    std::vector<std::string> names;
    for (const std::string &line : Lines(ReadFileBytes(folder + "/SHA256SUMS")))
        names.push_back(line.substr(66));
    std::sort(names.begin(), names.end());
    return names;
}

// Linux: the .tar.gz and the .deb, each unpacked in a folder of its own.
struct LinuxPackage {
    const char *name;
    const char *suffix;
};

void PrintTo(const LinuxPackage &package, std::ostream *os)
{
    *os << package.name;
}

class InstalledTool : public testing::TestWithParam<LinuxPackage> {
protected:
    void SetUp() override
    {
        const LinuxPackage &package = GetParam();
        std::string file = Package(package.suffix);
        ASSERT_FALSE(file.empty());
        std::string unpacked = MakeTempDirectory();
        if (std::string(package.name) == "deb") {
            MustRun({"dpkg-deb", "-x", file, unpacked});
            prefix = unpacked + "/usr";
        } else {
            // One folder named like the archive, to unpack anywhere.
            MustRun({"tar", "-xzf", file, "-C", unpacked});
            std::string top = fs::path(file).filename().string();
            top.resize(top.size() - std::string(".tar.gz").size());
            EXPECT_EQ(MustRun({"ls", "-A", unpacked}), top + "\n");
            prefix = unpacked + "/" + top;
        }
        work = MakeTempDirectory();
    }

    ProcessResult RunTool(const std::vector<std::string> &args)
    {
        std::vector<std::string> argv = {prefix + "/bin/ZelkSvc"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunCommand(argv, work, {{"VEMTU_SIM_RATE", "0"}, {"VEMTU_SIM_STATE_DIR", work + "/state"}});
    }

    std::string prefix;  // holds bin/, lib/, share/
    std::string work;    // the current folder of the tool's runs
};

TEST_P(InstalledTool, HoldsToolSimulatorManualAndCopyright)
{
    EXPECT_EQ(
        FilesBelow(prefix),
        (std::vector<std::string>{"bin/ZelkSvc", "lib/zelksvc/libvemtu.so", "share/doc/zelksvc/changelog.gz",
                                  "share/doc/zelksvc/copyright", "share/man/man1/ZelkSvc.1.gz"}));
    // The manual page is the source's, gzipped without a name or time.
    std::string manual = prefix + "/share/man/man1/ZelkSvc.1.gz";
    EXPECT_EQ(MustRun({"gzip", "-dc", manual}), ReadFileBytes(sourceDir + "/man/ZelkSvc.1"));
    std::string header = ReadFileBytes(manual).substr(0, 10);
    EXPECT_EQ(header[3] & 0x08, 0) << "gzip header names the file";
    EXPECT_EQ(header.substr(4, 4), std::string(4, '\0')) << "gzip header has a time";
}

TEST_P(InstalledTool, FindsTheSimulatorInItsPrivateLibraryFolder)
{
    std::string dynamic = MustRun({"readelf", "-d", prefix + "/bin/ZelkSvc"});
    EXPECT_NE(dynamic.find("(RUNPATH)            Library runpath: [$ORIGIN/../lib/zelksvc]\n"),
              std::string::npos)
        << dynamic;
    // The loader's own answer: the package's library, not the build's.
    ProcessResult loaded = RunCommand({prefix + "/bin/ZelkSvc"}, work, {{"LD_TRACE_LOADED_OBJECTS", "1"}});
    EXPECT_NE(loaded.out.find("libvemtu.so => " + prefix + "/bin/../lib/zelksvc/libvemtu.so"),
              std::string::npos)
        << loaded.out;
}

TEST_P(InstalledTool, ShowsTheUsage)
{
    ProcessResult result = RunTool({"-h"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kUsage);
    EXPECT_EQ(result.err, "");
}

TEST_P(InstalledTool, UpdatesTheSimulatedDeviceFromAFile)
{
    std::string image;
    for (int i = 0; i < 4096; ++i)
        image += static_cast<char>(i * 7 + i / 256);
    WriteFileBytes(work + "/fw.bin", image);
    ProcessResult result = RunTool({"u", "bios", "fw.bin"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "Update with fw.bin:   0%\b\b\b\b 25%\b\b\b\b 50%\b\b\b\b 75%\b\b\b\b100%\b\b\b\bfinished\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFileBytes(work + "/state/type-7.img"), image);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Linux, InstalledTool,
                         testing::Values(LinuxPackage{"tgz", ".tar.gz"}, LinuxPackage{"deb", ".deb"}),
                         [](const testing::TestParamInfo<LinuxPackage> &info) { return std::string(info.param.name); });
// clang-format on

TEST(Deb, NamesItselfAndSaysTheLibraryIsTheSimulator)
{
    std::string deb = Package(".deb");
    ASSERT_FALSE(deb.empty());
    EXPECT_EQ(MustRun({"dpkg-deb", "-f", deb, "Package"}), "zelksvc\n");
    EXPECT_EQ(MustRun({"dpkg-deb", "-f", deb, "Version"}), version + "\n");
    std::string description = MustRun({"dpkg-deb", "-f", deb, "Description"});
    std::string words;
    for (char c : description) {
        if (c == '\n' || c == ' ') {
            if (!words.empty() && words.back() != ' ')
                words += ' ';
        } else {
            words += c;
        }
    }
    EXPECT_NE(words.find("is the device simulator, NOT the PC's real device-access library"),
              std::string::npos)
        << description;
}

// The tool in the build folder looks for its library beside itself and
// nowhere else: not in the current folder, where anyone may have put one.
TEST(BuiltTool, LoadsTheLibraryFromItsOwnFolderOnly)
{
    std::string dynamic = MustRun({"readelf", "-d", builtTool});
    EXPECT_NE(dynamic.find("(RUNPATH)            Library runpath: [$ORIGIN]\n"), std::string::npos)
        << dynamic;

    std::string alone = MakeTempDirectory();
    std::string current = MakeTempDirectory();
    WriteFileBytes(alone + "/ZelkSvc", ReadFileBytes(builtTool));
    MustRun({"chmod", "+x", alone + "/ZelkSvc"});
    WriteFileBytes(current + "/libvemtu.so",
                   ReadFileBytes(fs::path(builtTool).parent_path().string() + "/libvemtu.so"));
    ProcessResult result = RunCommand({alone + "/ZelkSvc", "-h"}, current);
    EXPECT_EQ(result.exitCode, 127);
    EXPECT_NE(result.err.find("libvemtu.so: cannot open shared object file"), std::string::npos)
        << result.err;
}

// Windows: the ZIP, unpacked as Explorer would.
class WindowsZip : public testing::Test {
protected:
    void SetUp() override
    {
        zip = Package("-win32.zip");
        ASSERT_FALSE(zip.empty());
        unpacked = MakeTempDirectory();
        MustRun({"unzip", "-q", zip, "-d", unpacked});
    }

    std::string zip;
    std::string unpacked;
};

TEST_F(WindowsZip, HoldsTheShippedExeTheTextsAndTheSimulatorApart)
{
    EXPECT_EQ(Lines(MustRun({"unzip", "-Z1", zip})),
              (std::vector<std::string>{
                  "README.txt", "SHA256SUMS", "ZelkSvc.exe", "ZelkSvc.txt", "device-simulator/00042_0.fw",
                  "device-simulator/SIMULATOR-NOT-FOR-A-REAL-PC.txt", "device-simulator/Vemtu.dll"}));
    EXPECT_EQ(ReadFileBytes(unpacked + "/ZelkSvc.exe"), ReadFileBytes(i686Bin + "/ZelkSvc.exe"));
    EXPECT_EQ(ReadFileBytes(unpacked + "/device-simulator/Vemtu.dll"), ReadFileBytes(i686Bin + "/Vemtu.dll"));
    std::string note = ReadFileBytes(unpacked + "/device-simulator/SIMULATOR-NOT-FOR-A-REAL-PC.txt");
    EXPECT_NE(note.find("DEVICE SIMULATOR - FOR TRYING SCRIPTS, NEVER FOR A REAL PC"), std::string::npos);
    EXPECT_NE(ReadFileBytes(unpacked + "/README.txt").find("ZelkSvc " + version + ": "), std::string::npos);
}

TEST_F(WindowsZip, TextsHaveWindowsLineEndsAndNoOverstrike)
{
    for (const char *name :
         {"README.txt", "ZelkSvc.txt", "device-simulator/SIMULATOR-NOT-FOR-A-REAL-PC.txt"}) {
        std::string text = ReadFileBytes(unpacked + "/" + name);
        ASSERT_GT(text.size(), 2u) << name;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << name;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << name << ": bare LF at byte " << i;
            }
            ASSERT_NE(text[i], '\b') << name << ": overstrike at byte " << i;
        }
    }
    // The manual as mandoc renders it, line for line.
    std::string manual = ReadFileBytes(unpacked + "/ZelkSvc.txt");
    EXPECT_NE(manual.find("NAME\r\n"), std::string::npos);
    EXPECT_NE(manual.find("ZelkSvc"), std::string::npos);
}

TEST_F(WindowsZip, ChecksumsCoverEveryOtherFile)
{
    std::vector<std::string> files = FilesBelow(unpacked);
    files.erase(std::remove(files.begin(), files.end(), "SHA256SUMS"), files.end());
    EXPECT_EQ(CheckedSums(unpacked), files);
}

TEST(Dist, ChecksumsCoverEveryPackage)
{
    std::vector<std::string> files = FilesBelow(distDir);
    files.erase(std::remove(files.begin(), files.end(), "SHA256SUMS"), files.end());
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(CheckedSums(distDir), files);
}

}  // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        for (auto [name, value] : {std::pair<const char *, std::string *>{"--dist=", &distDir},
                                   {"--source=", &sourceDir},
                                   {"--i686-bin=", &i686Bin},
                                   {"--version=", &version},
                                   {"--tool=", &builtTool}}) {
            if (arg.rfind(name, 0) == 0)
                *value = arg.substr(std::string(name).size());
        }
    }
    return RUN_ALL_TESTS();
}
