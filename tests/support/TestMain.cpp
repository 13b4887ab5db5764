#include <QApplication>
#include <gtest/gtest.h>

// Every suite gets one QApplication, so that framework code that needs Qt
// runs as it does in the program (offscreen, set by CTest).
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
