// The Qt window and dialogs on Qt's offscreen platform: owner-drawn tool
// buttons with their tool tips, the popup's check marks, and the dialogs
// the program draws or fills with controls, answered as a script would.
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtMainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include <cstdlib>
#include <memory>

using namespace qm;

namespace {

// The application lives from before the first test to after the last, and
// goes before the program's static objects do (Qt's input devices must not
// outlive it).
class QtApplication final : public testing::Environment {
public:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "test_qt_window";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};
[[maybe_unused]] testing::Environment* const qtApplication = testing::AddGlobalTestEnvironment(new QtApplication);

class Handler final : public IWindowHandler {
public:
    std::vector<int> commands;
    std::vector<std::pair<int, bool>> drawn;
    void onPaint(CCanvas&, const Rect&) override {}
    void onPointerDown(Point) override {}
    void onPointerMove(Point) override {}
    void onPointerUp(Point) override {}
    void onHold(Point) override {}
    void onCommand(int id) override { commands.push_back(id); }
    bool onKey(Key) override { return false; }
    void onSize(Size) override {}
    void onActivate(bool) override {}
    void onHelp() override {}
    void onTimer(int) override {}
    void onCloseRequest() override {}
    void onDrawItem(int id, CCanvas& canvas, bool pressed) override
    {
        drawn.emplace_back(id, pressed);
        canvas.fillRect(canvas.bounds(), pressed ? RgbWhite : rgb(10, 20, 30));
    }
};

struct Window {
    Window() : window({240, 320}, 2, 26, {}, {}, nullptr, 16)
    {
        window.setHandler(&handler);
        window.show();
    }
    Handler handler;
    CQtMainWindow window;
};

TEST(QtWindow, ToolButtonsAreOwnerDrawnWithTheirToolTipAndNoLabel)
{
    Window w;
    w.window.createToolButton(396, Rect::fromSize(216, 192, 24, 20), "~~Start replay");
    QAbstractButton* b = w.window.toolButton(396);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->toolTip(), QStringLiteral("Start replay"));
    EXPECT_EQ(b->text(), QString());
    EXPECT_EQ(b->geometry(), QRect(432, 384, 48, 40)); // scaled by 2
    QApplication::processEvents();
    b->setDown(true);
    b->repaint();
    ASSERT_FALSE(w.handler.drawn.empty());
    EXPECT_EQ(w.handler.drawn.back(), (std::pair{396, true}));
    b->setDown(false);
    // The screen grab draws the button through the program, not pressed.
    const QImage shot = w.window.grabScreen();
    EXPECT_EQ(w.handler.drawn.back(), (std::pair{396, false}));
    EXPECT_EQ(shot.pixel(220, 200) & 0xFFFFFFu, 0x0A141Eu);
    b->click();
    EXPECT_EQ(w.handler.commands, std::vector<int>{396});
    EXPECT_EQ(w.window.toolButtons(), std::vector<int>{396});
    w.window.destroyToolButtons();
    EXPECT_EQ(w.window.toolButton(396), nullptr);
}

TEST(QtWindow, ThePopupShowsItsCheckMarkAndSendsTheCommandChosen)
{
    Window w;
    Menu menu{"", "", {{"New game", 40006}, {"", 0}, {"Replay moves", 40010, true}}};
    w.window.showPopupMenu(menu, {10, 10});
    QMenu* popup = w.window.openPopup();
    ASSERT_NE(popup, nullptr);
    QAction* replay = nullptr;
    for (QAction* a : popup->actions())
        if (a->data().toInt() == 40010)
            replay = a;
    ASSERT_NE(replay, nullptr);
    EXPECT_TRUE(replay->isChecked());
    EXPECT_FALSE(popup->actions()[0]->isChecked());
    replay->trigger();
    EXPECT_EQ(w.handler.commands, std::vector<int>{40010});
    w.window.closePopup();
    QApplication::processEvents();
    EXPECT_EQ(w.window.openPopup(), nullptr);
    EXPECT_TRUE(w.window.lastPopup().items[2].checked);
}

class Content final : public ICanvasDialogContent {
public:
    std::vector<Point> penUps;
    QPoint dialogPos;
    QImage shown;
    void paint(CCanvas& dc) override { dc.fillRect({0, 0, 10, 10}, RgbBlack); }
    bool penUp(Point p) override
    {
        penUps.push_back(p);
        if (QWidget* d = QApplication::activeModalWidget()) {
            dialogPos = d->pos();
            shown = d->grab().toImage();
        }
        return p.x >= 20;
    }
    bool itemPoint(std::string_view item, Point& out) const override
    {
        if (item != "Knight")
            return false;
        out = {30, 15};
        return true;
    }
};

TEST(QtDialogs, ADialogTheProgramDrawsTakesPenUpsUntilOneEndsIt)
{
    Window w;
    w.window.move(100, 50);
    CQtDialogs dialogs(&w.window, "");
    dialogs.setScreen(2);
    const CanvasDialog info{"126", "Promotion", "Promotion", {43, 93}, {160, 100}};
    {
        Content c;
        dialogs.pushAnswer(DialogAnswer::ofTap(5, 7));
        dialogs.pushAnswer(DialogAnswer::ofItem("Knight"));
        EXPECT_TRUE(dialogs.canvasDialog(info, c));
        EXPECT_EQ(c.penUps, (std::vector<Point>{{5, 7}, {30, 15}}));
        EXPECT_EQ(c.dialogPos, w.window.mapToGlobal(QPoint(0, 0)) + QPoint(86, 186));
        // The content's 10 x 10 black corner, scaled by 2, on a white client area.
        ASSERT_GE(c.shown.width(), 320);
        EXPECT_EQ(c.shown.pixel(19, 19) & 0xFFFFFFu, 0u);
        EXPECT_EQ(c.shown.pixel(21, 21) & 0xFFFFFFu, 0xFFFFFFu);
    }
    {
        Content c;
        dialogs.pushAnswer(DialogAnswer::ofTap(1, 1));
        dialogs.pushAnswer(DialogAnswer::of(Answer::Cancel));
        EXPECT_FALSE(dialogs.canvasDialog(info, c));
        EXPECT_EQ(c.penUps.size(), 1u);
    }
    {
        // Unattended with nothing queued: closed at once without a choice.
        Content c;
        dialogs.setUnattended(true);
        EXPECT_FALSE(dialogs.canvasDialog(info, c));
        EXPECT_TRUE(c.penUps.empty());
    }
}

FormDialog lineForm()
{
    using K = DialogControl::Kind;
    FormDialog f;
    f.name = "111";
    f.title = "Add line";
    f.controls = {{K::List, 1012, "Lines:", "", {"1.e4", "1.d4"}, -1},
                  {K::Field, 1013, "New move:", "1.c4", {}, -1},
                  {K::Button, 1014, "Add main line", "", {}, -1},
                  {K::DropDown, 1028, "Change default to", "", {"Ask", "Add line"}, 0},
                  {K::Button, 1009, "Don't add move", "", {}, -1}};
    return f;
}

TEST(QtDialogs, AFormIsAnsweredByItsButtonsAndChoices)
{
    Window w;
    CQtDialogs dialogs(&w.window, "");
    {
        FormDialog f = lineForm();
        DialogAnswer a = DialogAnswer::ofControl(1014);
        a.choices = {{1028, "Add line"}, {1012, "1.d4"}};
        dialogs.pushAnswer(a);
        EXPECT_EQ(dialogs.formDialog(f), 1014);
        EXPECT_EQ(f.control(1028)->selected, 1);
        EXPECT_EQ(f.control(1012)->selected, 1);
    }
    {
        FormDialog f = lineForm();
        dialogs.pushAnswer(DialogAnswer::of(Answer::Ok));
        EXPECT_EQ(dialogs.formDialog(f), FormOk);
        EXPECT_EQ(f.control(1028)->selected, 0);
        EXPECT_EQ(f.control(1012)->selected, -1); // no line chosen
        dialogs.pushAnswer(DialogAnswer::ofControl(4242)); // no such button: closed as Cancel
        EXPECT_EQ(dialogs.formDialog(f), FormCancel);
    }
    {
        FormDialog f = lineForm();
        f.listChoiceEnds = true;
        dialogs.pushAnswer(DialogAnswer::ofItem("1.d4"));
        EXPECT_EQ(dialogs.formDialog(f), 1012);
        EXPECT_EQ(f.control(1012)->selected, 1);
        // The list's id with an entry chosen ends it too.
        DialogAnswer pick = DialogAnswer::ofControl(1012);
        pick.choices = {{1012, "1.e4"}};
        dialogs.pushAnswer(pick);
        EXPECT_EQ(dialogs.formDialog(f), 1012);
        EXPECT_EQ(f.control(1012)->selected, 0);
    }
    {
        FormDialog f = lineForm();
        dialogs.setUnattended(true);
        EXPECT_EQ(dialogs.formDialog(f), FormCancel);
    }
}

} // namespace
