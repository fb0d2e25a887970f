#pragma once

// What the benchmarks that open windows set up around their QApplication, so that each runs on
// settings of its own and draws alike on every machine.

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QTemporaryDir>

namespace bench {

class WindowRun
{
public:
    // Before the QApplication: the user's settings in a folder of this run alone, and the offscreen
    // platform unless another is asked for.
    WindowRun()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // After it: the font the window figures are measured with, where the machine has it.
    static void useMeasuringFont()
    {
        if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))) {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPointSize(9);
            QApplication::setFont(font);
        }
    }

    // The run's own folder, for the program's folder too.
    QString folder() const { return m_config.path(); }

private:
    QTemporaryDir m_config;
};

} // namespace bench
