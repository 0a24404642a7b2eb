#pragma once
// One QApplication for a whole test program, offscreen unless told otherwise.
// Each GUI test program registers it once:
//     KELVO_GUI_TEST_ENVIRONMENT("program_name")
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>
#include <string>

namespace kelvo::test {

// The application lives from before the first test to after the last one; left
// to the exit handlers, it would outlive parts of Qt it still needs.
class TGuiEnvironment : public ::testing::Environment {
public:
    explicit TGuiEnvironment(const char* name) : Name(name) {}
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        Argv[0] = Name.data();
        App = std::make_unique<QApplication>(Argc, Argv);
    }
    void TearDown() override { App.reset(); }

private:
    std::string Name;
    int Argc = 1;
    char* Argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> App;
};

// Lets posted events run, deferred deletions included.
inline void DrainEvents() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

} // namespace kelvo::test

#define KELVO_GUI_TEST_ENVIRONMENT(name)                                                           \
    [[maybe_unused]] static ::testing::Environment* const KelvoGuiEnvironment =                    \
        ::testing::AddGlobalTestEnvironment(new ::kelvo::test::TGuiEnvironment(name))
