#pragma once

// The main window "Simulator": four pages under the tab strip, the main tool
// bar, and the widgets that show the core's state. The window holds no state
// of its own; every user action is forwarded to the core and every change of
// the core comes back through its signals.

#include <QMainWindow>

#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QDockWidget;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QToolBar;

namespace korvanta {
class Host;
class Simulator;
class TextField;
}

namespace korvanta::app {

class CodeList;
class FullPanel;
class HexView;
class ListingView;
class ProgramTransfer;
class EditMemoryDialog;
class LearningAids;
class FieldBinding;
class MemoryModel;
class SaveProgramDialog;
class ShowMemDialog;

class SimulatorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit SimulatorWindow(Host& host, QWidget* parent = nullptr);
    ~SimulatorWindow() override;

    // Loading the window: the lists, the memory columns and the core's start-up.
    void Form_Load();

    // Toolbar1 by button index (1 to 13; 4, 8 and 10 are separators).
    void Toolbar1_ButtonClick(int index);
    QAction* toolbarButton(int index) const;

    Simulator& simulator() { return *sim_; }
    MemoryModel* memoryModel() const { return memoryModel_; }
    LearningAids* learningAids() const { return aids_; }
    CodeList* codeList() const { return list2_; }
    FullPanel* fullPanel() const { return fullPanel_; }
    ListingView* listingView() const { return listing_; }
    HexView* hexView() const { return hexView_; }
    ProgramTransfer* programTransfer() const { return transfer_; }
    EditMemoryDialog* editMemoryDialog() const { return editDialog_; }
    ShowMemDialog* showMemDialog() const { return showMemDialog_; }
    SaveProgramDialog* saveProgramDialog() const { return saveDialog_; }
    QTabWidget* tabs() const { return tabs_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildHomePage();
    QWidget* buildCodeEntryPage();
    QWidget* buildStatePage();
    QWidget* buildAboutPage();
    void buildToolbar();
    void buildMenus();
    void buildAids();
    void buildPanels();
    void connectCore();
    void showMode();
    void nameForAssistiveTools();

    FieldBinding* bindRegister(QLineEdit* edit, TextField& field);
    void TabStrip1_Click();
    void List1_Click();
    void showStatusColour();
    void showSystemLog();
    void showSelectedMemoryRow();
    void sizeMemoryColumns();
    void setMainWindowEnabled(bool enabled);
    void requestQuit();
    void stopRunForExit();

    std::unique_ptr<Simulator> sim_;
    bool allowClose_ = false;
    bool syncing_ = false;  // the window is mirroring the core: user signals are not user actions

    QTabWidget* tabs_ = nullptr;
    QToolBar* toolbar1_ = nullptr;
    QAction* buttons_[14] = {};

    QLineEdit* enterCode_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    CodeList* list2_ = nullptr;
    QListWidget* list1_ = nullptr;
    QPlainTextEdit* text3_ = nullptr;
    QCheckBox* checks_[5] = {};
    QLineEdit* text1_ = nullptr;
    QCheckBox* fullCheck_ = nullptr;
    QSpinBox* budget_ = nullptr;
    QLabel* modeLabel_ = nullptr;
    QToolBar* aidsToolbar_ = nullptr;
    LearningAids* aids_ = nullptr;
    FullPanel* fullPanel_ = nullptr;
    ListingView* listing_ = nullptr;
    HexView* hexView_ = nullptr;
    ProgramTransfer* transfer_ = nullptr;
    std::vector<QDockWidget*> docks_;

    QGroupBox* frame6_ = nullptr;
    QToolBar* toolbar2_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QTableView* listView1_ = nullptr;
    MemoryModel* memoryModel_ = nullptr;
    QListWidget* list3_ = nullptr;
    QPlainTextEdit* text13_ = nullptr;
    QLineEdit* execStatus_ = nullptr;

    EditMemoryDialog* editDialog_ = nullptr;
    ShowMemDialog* showMemDialog_ = nullptr;
    SaveProgramDialog* saveDialog_ = nullptr;
};

}  // namespace korvanta::app
