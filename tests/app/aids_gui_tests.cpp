// The learning aids in the window: the current-line marker, the highlights of what a step changed,
// breakpoints set in the gutter, step back, and the dark palette. None of them may select a line or
// mark the program as assembled.

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QHeaderView>
#include <QStatusBar>

#include <cmath>

#include "app/aid_colours.h"
#include "app/change_tracker.h"
#include "app/code_list.h"
#include "app/learning_aids.h"
#include "app/theme.h"
#include "gui_fixture.h"

namespace korvanta::app::testing {
namespace {

// WCAG's contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
    return x > y ? x / y : y / x;
}

class AidsTest : public GuiTest {
protected:
    CodeList* codeList() { return window->codeList(); }
    LearningAids* aids() { return window->learningAids(); }
    bool changed(const char* field) { return edit(QString::fromLatin1(field))->property("changed").toBool(); }
    // The next wait of a run does this, later, from the event loop, as a click would.
    void atNextWait(std::function<void()> action)
    {
        waits.push_back(std::move(action));
        host.onWait = [this] {
            if (waits.empty()) return;
            auto next = waits.front();
            waits.erase(waits.begin());
            next();
        };
    }
    std::vector<std::function<void()>> waits;
};

TEST_F(AidsTest, MarkerAndHighlightsFollowStepWithoutSelecting)
{
    typeProgram({"MVI A,05", "MVI B,06", "HLT"});
    const int selected = sim().source.selected();
    const int compiled = sim().machine.run.ProgramCompiled;
    struct Seen {
        int line, memoryRow, listRow;
        bool a, b, pc;
    };
    std::vector<Seen> seen;
    auto look = [&] {
        seen.push_back({codeList()->currentLine(), window->memoryModel()->markedCurrentRow(), codeList()->currentRow(),
                        changed("RegisterA"), changed("RegisterB"), changed("PC")});
        press(12);
    };
    atNextWait(look);
    atNextWait(look);
    press(12);
    ASSERT_EQ(seen.size(), 2u);
    // Before MVI B (line 1, address 0002, row 3): A and PC changed. Before HLT (line 2, row 5): B and PC.
    EXPECT_EQ(seen[0].line, 1);
    EXPECT_EQ(seen[0].memoryRow, 3);
    EXPECT_TRUE(seen[0].a && !seen[0].b && seen[0].pc);
    EXPECT_EQ(seen[1].line, 2);
    EXPECT_EQ(seen[1].memoryRow, 5);
    EXPECT_TRUE(!seen[1].a && seen[1].b && seen[1].pc);
    for (const Seen& s : seen) EXPECT_EQ(s.listRow, selected);
    EXPECT_EQ(sim().source.selected(), selected);
    EXPECT_EQ(sim().machine.run.ProgramCompiled, compiled);
    // After the HLT the marker stays on the line that ended the run.
    EXPECT_EQ(codeList()->currentLine(), 2);
    EXPECT_EQ(text("ExecStatus"), "Program Finished");
}

TEST_F(AidsTest, GutterBreakpointStopsARunThatRunGoesOn)
{
    typeProgram({"MVI A,01", "INR A", "INR A", "HLT"});
    press(11);  // assembled once, so that the next Run runs as it is
    ASSERT_EQ(sim().machine.run.ProgramCompiled, kTrue);
    // A click on line 2's gutter: a breakpoint, and neither a selection nor a need to assemble.
    const QRect line2 = codeList()->visualItemRect(codeList()->item(2));
    QWidget* gutter = codeList()->findChild<QWidget*>(QStringLiteral("List2Gutter"));
    ASSERT_NE(gutter, nullptr);
    QTest::mouseClick(gutter, Qt::LeftButton, {}, QPoint(gutter->width() / 2, line2.center().y()));
    EXPECT_EQ(sim().breakpoints.lines(), (std::set<int>{2}));
    EXPECT_EQ(sim().machine.run.ProgramCompiled, kTrue);
    EXPECT_EQ(sim().source.selected(), 3);

    QString a, message;
    atNextWait([&] {
        a = text("RegisterA");
        message = window->statusBar()->currentMessage();
        press(11);
    });
    press(11);
    EXPECT_EQ(a, "02");
    EXPECT_TRUE(message.startsWith("Stopped at breakpoint 0003 (line 3)")) << message.toStdString();
    EXPECT_EQ(text("RegisterA"), "03");
    EXPECT_EQ(text("ExecStatus"), "Program Finished");

    // F9 on the selected line takes a breakpoint there; the action clears them all.
    aids()->toggleBreakpointAction()->trigger();
    EXPECT_EQ(sim().breakpoints.lines(), (std::set<int>{2, 3}));
    aids()->clearBreakpointsAction()->trigger();
    EXPECT_TRUE(sim().breakpoints.empty());
}

TEST_F(AidsTest, StepBackFromTheToolbarAfterARun)
{
    typeProgram({"MVI A,01", "STA 0100", "INR A", "HLT"});
    press(11);
    ASSERT_EQ(memoryData(257), "01");  // 0100
    ASSERT_TRUE(aids()->stepBackAction()->isEnabled());
    QStringList seen;
    atNextWait([&] {
        // Before the HLT; then two more steps back, before INR and before STA.
        seen << text("RegisterA") + "/" + memoryData(257);
        aids()->stepBackAction()->trigger();
    });
    atNextWait([&] {
        seen << text("RegisterA") + "/" + memoryData(257);
        aids()->stepBackAction()->trigger();
    });
    atNextWait([&] {
        seen << text("RegisterA") + "/" + memoryData(257) + "/" + QString::number(codeList()->currentLine());
        press(11);  // Run goes on to the end
    });
    aids()->stepBackAction()->trigger();
    EXPECT_EQ(seen, (QStringList{"02/01", "01/01", "01/00/1"}));
    EXPECT_EQ(text("RegisterA"), "02");
    EXPECT_EQ(text("ExecStatus"), "Program Finished");
}

TEST_F(AidsTest, DarkPaletteKeepsMarksAndStatusReadable)
{
    ApplyTheme(Theme::Dark);
    const QPalette dark = QApplication::palette();
    EXPECT_TRUE(isDarkPalette(dark));
    // The tints keep the palette's text readable; the status colours keep their black text.
    EXPECT_GE(contrast(changedBackground(dark), dark.color(QPalette::Text)), 4.5);
    EXPECT_GE(contrast(currentBackground(dark), dark.color(QPalette::Text)), 4.5);
    typeProgram({"MVI A,05"});
    press(11);
    const QPalette status = edit("ExecStatus")->palette();
    EXPECT_GE(contrast(status.color(QPalette::Base), status.color(QPalette::Text)), 4.5);
    ApplyTheme(Theme::Light);
    const QPalette light = QApplication::palette();
    EXPECT_FALSE(isDarkPalette(light));
    EXPECT_GE(contrast(changedBackground(light), light.color(QPalette::Text)), 4.5);
    EXPECT_GE(contrast(currentBackground(light), light.color(QPalette::Text)), 4.5);
    ApplyTheme(Theme::System);
}

TEST_F(AidsTest, AHighlightTakesTheNewThemesColours)
{
    // The run changed A; switching the theme while the tint shows must not leave the old
    // palette's background under the new palette's text.
    ApplyTheme(Theme::Light);
    typeProgram({"MVI A,05"});
    press(11);
    ASSERT_TRUE(changed("RegisterA"));
    for (Theme theme : {Theme::Dark, Theme::Light}) {
        ApplyTheme(theme);
        QCoreApplication::processEvents();
        const QPalette shown = edit("RegisterA")->palette();
        EXPECT_EQ(shown.color(QPalette::Base), changedBackground(QApplication::palette())) << ThemeName(theme).toStdString();
        EXPECT_GE(contrast(shown.color(QPalette::Base), shown.color(QPalette::Text)), 4.5);
        // An unchanged field has the plain base of the theme.
        EXPECT_EQ(edit("RegisterB")->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    }
    ApplyTheme(Theme::System);
}

TEST_F(AidsTest, ADarkScreenshotShowsTheTintAndTheDarkWindow)
{
    typeProgram({"MVI A,05"});
    press(11);
    ApplyTheme(Theme::Dark);
    QCoreApplication::processEvents();
    const QPalette dark = QApplication::palette();

    // What the window looks like to a learner: mostly dark, the changed field tinted.
    const QImage picture = window->grab().toImage();
    const QString shot = QDir::temp().filePath(QStringLiteral("korvanta-dark-window.png"));
    EXPECT_TRUE(picture.save(shot)) << shot.toStdString();
    double lightness = 0;
    int samples = 0;
    for (int y = 0; y < picture.height(); y += 16)
        for (int x = 0; x < picture.width(); x += 16, ++samples) lightness += picture.pixelColor(x, y).lightnessF();
    EXPECT_LT(lightness / samples, 0.4);

    QLineEdit* a = edit("RegisterA");
    const QImage field = a->grab().toImage();
    // Inside the frame, left of the centred text.
    const QColor inside = field.pixelColor(4, field.height() / 2);
    const QColor tint = changedBackground(dark);
    EXPECT_LE(std::abs(inside.red() - tint.red()) + std::abs(inside.green() - tint.green()) +
                  std::abs(inside.blue() - tint.blue()),
              12)
        << inside.name().toStdString() << " against " << tint.name().toStdString();
    EXPECT_GE(contrast(inside, dark.color(QPalette::Text)), 4.5);
    ApplyTheme(Theme::System);
}

TEST_F(AidsTest, EveryControlHasANameForScreenReaders)
{
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QPlainTextEdit*>(w);
        // The parts Qt builds inside a spin box or a combo box, and its own helpers, speak for their owner.
        QWidget* owner = w->parentWidget();
        if (!control || !w->isVisibleTo(window.get()) || w->objectName().startsWith(QLatin1String("qt_")) ||
            qobject_cast<QHeaderView*>(w) ||
            (owner && (qobject_cast<QAbstractSpinBox*>(owner) || qobject_cast<QComboBox*>(owner) ||
                       qobject_cast<QAbstractItemView*>(owner))))
            continue;
        if (w->accessibleName().isEmpty()) unnamed << w->metaObject()->className() + QStringLiteral(" ") + w->objectName();
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
    // The commands of the aids are on the keyboard.
    EXPECT_EQ(aids()->stepBackAction()->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F10));
    EXPECT_EQ(aids()->toggleBreakpointAction()->shortcut(), QKeySequence(Qt::Key_F9));
}

}  // namespace
}  // namespace korvanta::app::testing
