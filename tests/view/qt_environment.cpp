// Widgets need an application object; one for the whole test program.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_view";
        static char* argv[] = {name, nullptr};
        App = new QApplication(argc, argv);
    }
    void TearDown() override { delete App; }

private:
    QApplication* App = nullptr;
};

const auto* const Registered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
