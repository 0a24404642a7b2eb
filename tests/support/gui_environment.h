#pragma once
// One QApplication for a whole test program, offscreen unless told otherwise.
// It lives from before the first test to after the last one; left to the exit
// handlers, it would outlive parts of Qt it still needs.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace kelvo::test {

class TGuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        App = std::make_unique<QApplication>(Argc, Argv);
    }
    void TearDown() override { App.reset(); }

private:
    int Argc = 1;
    char Name[16] = "kelvo_gui_tests";
    char* Argv[2] = {Name, nullptr};
    std::unique_ptr<QApplication> App;
};

inline ::testing::Environment* const GuiEnvironment =
    ::testing::AddGlobalTestEnvironment(new TGuiEnvironment);

// Lets posted events run, deferred deletions included.
inline void DrainEvents() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

} // namespace kelvo::test
