#pragma once

// The window's panels built on their own around a simulator, without the
// main window, and a model check that turns every complaint of Qt's model
// tester into a test failure.

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <memory>
#include <sstream>
#include <string>

#include "gui_fixture.h"

namespace korvanta::app::testing {

// Watches a model for as long as it lives; the tester walks the whole model
// after every change it announces.
class ModelCheck {
public:
    explicit ModelCheck(QAbstractItemModel* model)
        : previous_(qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
              // The offscreen platform's note about size hints says nothing of the model.
              if (type == QtDebugMsg || type == QtInfoMsg ||
                  msg.contains(QLatin1String("propagateSizeHints")))
                  return;
              ADD_FAILURE() << msg.toStdString();
          })),
          tester_(std::make_unique<QAbstractItemModelTester>(
              model, QAbstractItemModelTester::FailureReportingMode::Warning))
    {
    }
    ~ModelCheck()
    {
        tester_.reset();
        qInstallMessageHandler(previous_);
    }
    ModelCheck(const ModelCheck&) = delete;
    ModelCheck& operator=(const ModelCheck&) = delete;

private:
    QtMessageHandler previous_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

// The first and last index of each dataChanged a spy caught, as
// "row,column-row,column" texts.
inline QStringList ranges(const QSignalSpy& spy)
{
    QStringList out;
    for (const QList<QVariant>& args : spy) {
        const QModelIndex a = args.value(0).toModelIndex(), b = args.value(1).toModelIndex();
        out << QStringLiteral("%1,%2-%3,%4").arg(a.row()).arg(a.column()).arg(b.row()).arg(b.column());
    }
    return out;
}

class PanelTest : public ::testing::Test {
protected:
    PanelTest() { sim.Form_Load(); }

    // A new code list from lines separated by "|", in the mode given.
    void load(const std::string& program, bool full)
    {
        sim.source.Clear();
        std::istringstream lines(program);
        for (std::string line; std::getline(lines, line, '|');) sim.source.AppendLine(line);
        sim.machine.options.Full8085.set(full ? 1 : 0);
        sim.machine.run.ProgramCompiled = kFalse;
    }
    void run() { sim.runControl.StartExecution(); }
    void compileOnly()
    {
        sim.machine.options.Check1_Click(1);
        sim.runControl.StartExecution();
        sim.machine.options.Check1_Click(0);
    }
    // A stepping run; `atWait` runs at each wait with its count (from 1)
    // and the run goes on with a Step after it. A run that waits too often
    // is stopped so that a broken build cannot hang the tests.
    void step(const std::function<void(int)>& atWait)
    {
        int waits = 0;
        host.onWait = [&] {
            ++waits;
            if (waits > 20) {
                ADD_FAILURE() << "the run kept waiting";
                sim.runControl.HALTExecution();
            } else {
                atWait(waits);
            }
            sim.runControl.StepProgram();
        };
        sim.runControl.StepProgram();
        host.onWait = nullptr;
    }
    std::string data(const std::string& address) const
    {
        const int n = sim.machine.window.rowOfAddress(address);
        return n ? sim.machine.window.data(n) : "?";
    }

    GuiTestHost host;
    Simulator sim{host};
};

}  // namespace korvanta::app::testing
