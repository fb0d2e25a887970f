#pragma once

// Handing things to the desktop: a document to its handler, the calculator, another copy of the
// program.

#include <QString>
#include <QStringList>

class Dialogs;

class Shell
{
public:
    virtual ~Shell() = default;
    // False when nothing on the machine can show it.
    virtual bool openFile(const QString& path) = 0;
    // Starts the first calculator found on the machine; false when there is none.
    virtual bool startCalculator() = 0;
    // Starts another copy of this program's own executable with the arguments, apart from this
    // one (it goes on when this one ends); false when it could not be started.
    virtual bool startThisProgram(const QStringList& arguments) = 0;
};

class DesktopShell : public Shell
{
public:
    bool openFile(const QString& path) override;
    bool startCalculator() override;
    bool startThisProgram(const QStringList& arguments) override;

    // The calculators looked for, in order.
    static QStringList calculatorPrograms();
    // The PDF viewers tried, in order, when the desktop names no installed handler for PDF files.
    static QStringList pdfViewers();
};

// The calculator button: starts the calculator, or says that the machine has none.
void startCalculator(Shell& shell, Dialogs& dialogs);

// Records what was asked, for tests.
class RecordingShell : public Shell
{
public:
    QStringList openedFiles;
    int calculatorStarts = 0;
    QList<QStringList> programStarts; // the arguments of each copy started
    bool handlerExists = true;
    bool calculatorExists = true;
    bool programStartable = true;

    bool openFile(const QString& path) override
    {
        openedFiles << path;
        return handlerExists;
    }
    bool startCalculator() override
    {
        ++calculatorStarts;
        return calculatorExists;
    }
    bool startThisProgram(const QStringList& arguments) override
    {
        programStarts << arguments;
        return programStartable;
    }
};
