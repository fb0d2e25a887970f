// Window tests run on the offscreen platform with a settings store of their own.

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// All window tests run in one program: what one test leaves behind must not reach the next.
class BetweenTests : public ::testing::EmptyTestEventListener
{
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        // A test that ended the program's run leaves the application quitting, and every event loop
        // after it (a dialog's, a print preview's) would return at once: a run of the main loop,
        // quit as soon as it begins, clears that and deletes what was left for deletion.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        // A window still open now outlives what it shows: it is not touched, only reported (once).
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || m_reported.contains(window))
                continue;
            m_reported.append(window);
            ADD_FAILURE() << test.test_suite_name() << "." << test.name()
                          << " left a window open: " << window->metaObject()->className() << " "
                          << window->objectName().toStdString();
        }
    }

    QList<QPointer<QWidget>> m_reported;
};

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new BetweenTests);
    return RUN_ALL_TESTS();
}
