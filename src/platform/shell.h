#pragma once

// Handing things to the desktop: a document or an address to its handler, the calculator.

#include <QString>
#include <QStringList>

class Shell
{
public:
    virtual ~Shell() = default;
    // False when the desktop has no handler for it.
    virtual bool openFile(const QString& path) = 0;
    virtual bool openUrl(const QString& url) = 0;
    // Starts the first calculator found on the machine; false when there is none.
    virtual bool startCalculator() = 0;
};

class DesktopShell : public Shell
{
public:
    bool openFile(const QString& path) override;
    bool openUrl(const QString& url) override;
    bool startCalculator() override;

    // The calculators looked for, in order.
    static QStringList calculatorPrograms();
};

// Records what was asked, for tests.
class RecordingShell : public Shell
{
public:
    QStringList openedFiles;
    QStringList openedUrls;
    int calculatorStarts = 0;
    bool handlerExists = true;

    bool openFile(const QString& path) override
    {
        openedFiles << path;
        return handlerExists;
    }
    bool openUrl(const QString& url) override
    {
        openedUrls << url;
        return handlerExists;
    }
    bool startCalculator() override
    {
        ++calculatorStarts;
        return true;
    }
};
