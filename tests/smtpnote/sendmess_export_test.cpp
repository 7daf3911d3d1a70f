// The export loaded into a Qt program (as a Qt host would load it): the library shares the
// host's progress display machinery and program directory.
#include "smtpnote.h"

#include "core/textcodec.h"
#include "testdir.h"

#include <QApplication>
#include <QWidget>

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

bool progressShowing()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Tprogress_form") && w->isVisible())
            return true;
    return false;
}

} // namespace

TEST(SendMessExport, BadPortGivesFalseLogsAndLeavesNoDisplayOpen)
{
    wagetest::ProgramDirFixture dir;
    dir.write(QStringLiteral("Usertem.ini"), "[main Position]\r\nINTERNET_CONNECTION=OFFLINE\r\n");
    void *lib = dlopen(SMTPNOTE_DLL, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto send = reinterpret_cast<SendMessProc>(dlsym(lib, "SendMess"));
    ASSERT_NE(send, nullptr);

    // NULL texts count as empty.
    EXPECT_EQ(send(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "abc"), 0);
    EXPECT_FALSE(progressShowing());
    EXPECT_EQ(wage::fromGbk(dir.read(QStringLiteral("Error.Log"))),
              QStringLiteral("SendMess: SMTP端口“abc”不是有效的端口号（1-65535的十进制数）\r\n"));
    dlclose(lib);
}
