// kelvoctl show, run as a program on files that an independent script wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class KelvoctlShow : public ::testing::Test {
protected:
    // The script runs once for all tests; they only read its files.
    static void SetUpTestSuite() {
        char dirTemplate[] = "/tmp/kelvoctl_test_XXXXXX";
        ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
        Dir = dirTemplate;
        const std::string make =
            Quoted(PYTHON3_PATH) + " " + Quoted(MAKE_FILES_SCRIPT) + " " + Quoted(Dir.string());
        ASSERT_EQ(std::system(make.c_str()), 0);
    }
    static void TearDownTestSuite() { fs::remove_all(Dir); }

    TRun Run(const std::string& args) {
        const std::string id = std::to_string(::getpid());
        const fs::path out = Dir / ("stdout." + id), err = Dir / ("stderr." + id);
        const std::string command = "cd " + Quoted(Dir.string()) + " && " + Quoted(KELVOCTL_PATH) +
                                    " " + args + " >" + Quoted(out.string()) + " 2>" +
                                    Quoted(err.string());
        const int status = std::system(command.c_str());
        TRun r;
        r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.Out = Slurp(out);
        r.Err = Slurp(err);
        return r;
    }

    static inline fs::path Dir;
};

const std::string Header = "       <Caption>      :      <Value>\n\n";

TEST_F(KelvoctlShow, PrintsTheRowsAsCopyAllLinesInUtf8) {
    const TRun r = Run("show dialog.dat");
    EXPECT_EQ(r.Exit, 0);
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out, Header + "Gerät                 :                    \n"
                              "  Temperatur          :                  21\n"
                              "\n"
                              "Mode                  :                  On\n"
                              "      Offset          :                 0.5\n"
                              "Alarms                :                   2\n"
                              "Alarm 1               :                   7\n"
                              "Alarm 2               :                   7\n");
    EXPECT_EQ(Run("show dialog.kelvo").Out, r.Out);
}

TEST_F(KelvoctlShow, TranslatesAndShowsProductionLinesOnRequest) {
    const TRun r = Run("show --production dialog.dat --language Français --translations lang");
    EXPECT_EQ(r.Exit, 0);
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out, Header + "Appareil              :                    \n"
                              "  Température         :                  21\n"
                              "\n"
                              "Modus                 :              Marche\n"
                              "  Numéro              :                Nº 7\n"
                              "      Décalage        :                 0.5\n"
                              "Alarmes               :                   2\n"
                              "Alarme 1              :                   7\n"
                              "Alarme 2              :                   7\n");
    // An unknown language shows the texts as they are.
    const TRun none = Run("show dialog.dat --language Klingon --translations lang");
    EXPECT_EQ(none.Out, Run("show dialog.dat").Out);
}

TEST_F(KelvoctlShow, AShortLastRecordIsIgnored) {
    const TRun r = Run("show truncated.dat");
    EXPECT_EQ(r.Exit, 0);
    EXPECT_EQ(r.Out, Header + "One                   :                   1\n"
                              "Two                   :                   2\n");
}

TEST_F(KelvoctlShow, FilesThatCannotBeShownFailWithTheirMessage) {
    const TRun missing = Run("show nothing.dat");
    EXPECT_EQ(missing.Exit, 1);
    EXPECT_EQ(missing.Out, "");
    EXPECT_EQ(missing.Err, "File \"nothing.dat\" not found!\n");

    for (const char* name : {"empty.dat", "unreadable.dat", "badgroup.dat", "lang/kelvo.lng"}) {
        const TRun r = Run(std::string("show ") + name);
        EXPECT_EQ(r.Exit, 1) << name;
        EXPECT_EQ(r.Out, "") << name;
        EXPECT_EQ(r.Err, std::string("Invalid File \"") + name + "\"!\n");
    }
}

TEST_F(KelvoctlShow, HelpAndUsage) {
    const TRun help = Run("--help");
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("show"), std::string::npos);
    const TRun showHelp = Run("show --help");
    EXPECT_EQ(showHelp.Exit, 0);
    EXPECT_NE(showHelp.Out.find("--translations DIR"), std::string::npos);
    EXPECT_EQ(Run("show").Exit, 64);
    EXPECT_EQ(Run("show dialog.dat --colour").Exit, 64);
    EXPECT_EQ(Run("show dialog.dat --baud 57600").Exit, 64) << "connection options need a device";
    EXPECT_EQ(Run("frobnicate").Exit, 64);
}

} // namespace
