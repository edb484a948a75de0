#pragma once

// A real main window driven through its widgets, with a scripted host whose
// yields run the Qt event loop: timers fire and clicks arrive during a run.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/memory_model.h"
#include "app/qt_host.h"
#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::app::testing {

using korvanta::MsgAnswer;

class GuiTestHost : public korvanta::testing::FakeHost {
public:
    void yield() override
    {
        FakeHost::yield();
        QCoreApplication::processEvents();
    }

    // Once this is set, the print dialog hands out a Qt printer writing a PDF file.
    QString pdfFile;
    korvanta::Printer* printDialog() override
    {
        if (pdfFile.isEmpty()) return FakeHost::printDialog();
        ++printDialogs;
        pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
        pdf->setOutputFileName(pdfFile);  // the suffix chooses the PDF format
        qtPrinter = std::make_unique<QtPrinter>(*pdf);
        return qtPrinter.get();
    }
    std::unique_ptr<QPrinter> pdf;
    std::unique_ptr<QtPrinter> qtPrinter;
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<SimulatorWindow>(host);
        window->resize(1024, 768);
        window->show();
        window->Form_Load();
        QApplication::setActiveWindow(window.get());
    }

    template <class T = QWidget>
    T* find(const QString& name) const
    {
        T* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLineEdit* edit(const QString& name) const { return find<QLineEdit>(name); }
    QString text(const QString& name) const { return edit(name)->text(); }
    Simulator& sim() { return window->simulator(); }
    void press(int toolbarButton) { window->toolbarButton(toolbarButton)->trigger(); }
    bool windowEnabled() const { return window->centralWidget()->isEnabled(); }
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // Types the program into the entry field, one line per Enter.
    void typeProgram(std::initializer_list<const char*> lines)
    {
        for (const char* line : lines) {
            QTest::keyClicks(edit("EnterCode"), QString::fromLatin1(line));
            QTest::keyClick(edit("EnterCode"), Qt::Key_Return);
        }
    }

    QStringList listLines(const QString& name) const
    {
        QStringList lines;
        auto* list = find<QListWidget>(name);
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }

    // The flag bits S Z - AC - P - CY, shown in Text4 to Text11.
    QString flagBits() const
    {
        QString bits;
        for (int i = 4; i <= 11; ++i) bits += text(QStringLiteral("Text%1").arg(i));
        return bits;
    }

    QString cell(int row, int column) const
    {
        MemoryModel* model = window->memoryModel();
        return model->data(model->index(row, column)).toString();
    }
    QString memoryData(int memoryIndex) const { return cell(MemoryModel::rowOf(memoryIndex), 1); }

    GuiTestHost host;
    std::unique_ptr<SimulatorWindow> window;
};

}  // namespace korvanta::app::testing
