#pragma once

// A real main window driven through its widgets, with a scripted host whose
// yields run the Qt event loop, so that timers fire and clicks arrive while
// the core works.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/memory_model.h"
#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::app::testing {

class GuiTestHost : public korvanta::testing::FakeHost {
public:
    void yield() override
    {
        FakeHost::yield();
        QCoreApplication::processEvents();
    }
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
    T* find(const char* name) const
    {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    QString text(const char* name) const { return edit(name)->text(); }
    Simulator& sim() { return window->simulator(); }

    // Types the program into the entry field, one line per Enter.
    void typeProgram(std::initializer_list<const char*> lines)
    {
        QLineEdit* entry = edit("EnterCode");
        for (const char* line : lines) {
            QTest::keyClicks(entry, QString::fromLatin1(line));
            QTest::keyClick(entry, Qt::Key_Return);
        }
    }

    QStringList listLines(const char* name) const
    {
        QStringList lines;
        auto* list = find<QListWidget>(name);
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }

    QString memoryData(int memoryIndex) const
    {
        MemoryModel* model = window->memoryModel();
        return model->data(model->index(MemoryModel::rowOf(memoryIndex), 1)).toString();
    }

    GuiTestHost host;
    std::unique_ptr<SimulatorWindow> window;
};

}  // namespace korvanta::app::testing
