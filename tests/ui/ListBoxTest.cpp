#include "ui/CTransparentListBox.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using orvane::macro::CTransparentListBox;

namespace {

// A parent that paints a known colour, with one list on it.
class Backdrop : public QWidget {
public:
    QColor colour{200, 30, 40};
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
};

struct ListBox : ::testing::Test {
    Backdrop parent;
    CTransparentListBox* list = new CTransparentListBox(&parent);

    void SetUp() override
    {
        parent.resize(200, 300);
        list->setGeometry(20, 20, 113, 200);
        list->setListFont(QStringLiteral("Arial"), 16);
        parent.show();
        QApplication::setActiveWindow(&parent);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    }
    // Opens the editor on line `row` as a double-click would.
    bool edit(int row)
    {
        list->setCurrentRow(row);
        return list->beginEdit(list->visualItemRect(list->item(row)).center());
    }
    void type(const QString& text)
    {
        list->editor()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(list->editor(), Qt::Key_Delete);
        QTest::keyClicks(list->editor(), text);
    }
};

}   // namespace

TEST_F(ListBox, DelayEditIsLimitedAndAlwaysReported)
{
    struct Case {
        const char* typed;
        int value;
        const char* shown;
    };
    const Case cases[] = {
        {"0", 2, "2 ms"}, {"70000", 60000, "60000 ms"}, {"99999999999999999999999", 60000, "60000 ms"},
        {"", 2, "2 ms"},  {"300", 300, "300 ms"},       {"50", 50, "50 ms"}};
    list->setEditMode(CTransparentListBox::DelayValues);
    for (const Case& c : cases) {
        list->setLines({"A  dn", "50 ms", "A  up"});
        QSignalSpy done(list, &CTransparentListBox::WM_LISTEDITDONE);
        QSignalSpy begin(list, &CTransparentListBox::WM_LISTEDITBEGIN);
        ASSERT_TRUE(edit(1)) << c.typed;
        EXPECT_EQ(list->editor()->text(), QStringLiteral("50"));   // digits only, " ms" removed
        type(QString::fromLatin1(c.typed));
        QTest::keyClick(list->editor(), Qt::Key_Return);
        ASSERT_EQ(done.size(), 1) << c.typed;   // also when the text did not change ("50")
        EXPECT_EQ(done[0][0].toInt(), 1);
        EXPECT_EQ(done[0][1].toInt(), c.value) << c.typed;
        EXPECT_EQ(begin.size(), 1);
        EXPECT_EQ(list->lineText(1), QString::fromLatin1(c.shown));
        EXPECT_EQ(list->itemBeingEdited(), -1);
        EXPECT_EQ(list->editor(), nullptr);
    }
}

TEST_F(ListBox, KeyLinesOpenNoEditorInDelayMode)
{
    list->setEditMode(CTransparentListBox::DelayValues);
    list->setLines({"A  dn", "50 ms", "A  up"});
    QSignalSpy begin(list, &CTransparentListBox::WM_LISTEDITBEGIN);
    EXPECT_FALSE(edit(0));
    EXPECT_FALSE(edit(2));
    EXPECT_EQ(begin.size(), 0);
    EXPECT_EQ(list->editor(), nullptr);
    // A double-click outside the selected line opens nothing either.
    list->setCurrentRow(1);
    EXPECT_FALSE(list->beginEdit(QPoint(5, 190)));
}

TEST_F(ListBox, DoubleClickOpensTheEditorOverTheLine)
{
    list->setLines({"Macro_001", "Macro_002"});
    const QRect r = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_NE(list->editor(), nullptr);
    EXPECT_EQ(list->itemBeingEdited(), 1);
    EXPECT_EQ(list->editor()->geometry(), r.adjusted(0, -2, 0, 2));
    EXPECT_EQ(list->editor()->selectedText(), QStringLiteral("Macro_002"));
}

TEST_F(ListBox, EscapeCancelsAndFocusLossCommits)
{
    list->setLines({"Macro_001", "Macro_002"});
    QSignalSpy renamed(list, &CTransparentListBox::WM_LISTITEMRENAMED);
    ASSERT_TRUE(edit(0));
    type("Changed");
    QTest::keyClick(list->editor(), Qt::Key_Escape);
    EXPECT_EQ(list->lineText(0), QStringLiteral("Macro_001"));
    EXPECT_EQ(renamed.size(), 0);
    EXPECT_EQ(list->editor(), nullptr);
    EXPECT_TRUE(parent.isVisible());   // Escape did not reach a dialog

    auto* other = new QLineEdit(&parent);
    other->setGeometry(150, 250, 40, 20);
    other->show();
    ASSERT_TRUE(edit(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->editor()->hasFocus(); }));
    type("Renamed");
    other->setFocus();   // clicking elsewhere
    EXPECT_EQ(list->editor(), nullptr);
    EXPECT_EQ(list->lineText(1), QStringLiteral("Renamed"));
    ASSERT_EQ(renamed.size(), 1);
    EXPECT_EQ(renamed[0][0].toInt(), 1);
    EXPECT_EQ(renamed[0][1].toString(), QStringLiteral("Renamed"));
}

TEST_F(ListBox, SortedListKeepsARenamedLineSelectedAtItsPlace)
{
    list->setSorted(true);
    list->setEditMode(CTransparentListBox::FileNamesOverParent);
    list->addLine("delta.bin", 4);
    list->addLine("Alpha.bin", 1);
    list->addLine("charlie.bin", 3);
    ASSERT_EQ(list->lineText(0), QStringLiteral("Alpha.bin"));
    ASSERT_EQ(list->lineText(2), QStringLiteral("delta.bin"));
    QSignalSpy done(list, &CTransparentListBox::WM_LISTEDITDONE);
    ASSERT_TRUE(edit(2));
    type("Bravo.bin");
    QTest::keyClick(list->editor(), Qt::Key_Enter);
    EXPECT_EQ(list->lineText(1), QStringLiteral("Bravo.bin"));
    EXPECT_EQ(list->lineValue(1), 4u);   // the item value moves with the line
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(list->item(1)->isSelected());
    ASSERT_EQ(done.size(), 1);
    EXPECT_EQ(done[0][0].toInt(), 2);   // index when the edit began
    EXPECT_EQ(done[0][1].toInt(), 1);   // the new index
}

TEST_F(ListBox, BinModeAppendsTheSuffixOnlyWhenMissing)
{
    list->setEditMode(CTransparentListBox::BinFileNames);
    for (auto [typed, stored] :
         {std::pair{"game", "game.bin"}, {"game.bin", "game.bin"}, {"a.bin.txt", "a.bin.txt.bin"}}) {
        list->setLines({"old.bin"});
        ASSERT_TRUE(edit(0));
        type(QString::fromLatin1(typed));
        QTest::keyClick(list->editor(), Qt::Key_Return);
        EXPECT_EQ(list->lineText(0), QString::fromLatin1(stored));
    }
}

TEST_F(ListBox, WheelAndResizeCommitTheEdit)
{
    list->setLines({"one", "two"});
    ASSERT_TRUE(edit(0));
    type("wheel");
    QWheelEvent wheel(QPointF(10, 10), QPointF(30, 30), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->viewport(), &wheel);
    EXPECT_EQ(list->lineText(0), QStringLiteral("wheel"));
    ASSERT_TRUE(edit(1));
    type("resized");
    list->resize(100, 150);
    EXPECT_EQ(list->lineText(1), QStringLiteral("resized"));
    EXPECT_EQ(list->editor(), nullptr);
}

TEST_F(ListBox, ModeThreeTakesTheParentsPixelsAndDrawsShadowedText)
{
    list->setEditMode(CTransparentListBox::FileNamesOverParent);
    list->setTextColours(Qt::white, QColor(0, 255, 255));
    list->setShadow(true, Qt::black, 2);
    list->setLines({"WWWW", "second"});
    list->setCurrentRow(1);
    const QImage shot = list->viewport()->grab().toImage();
    EXPECT_EQ(QColor(list->background().pixel(60, 150)), parent.colour);
    EXPECT_EQ(QColor(shot.pixel(100, 150)), parent.colour);   // below the lines: the parent shows through
    bool white = false, cyan = false, black = false;
    const int h = list->lineHeight();
    for (int y = 0; y < 2 * h; ++y)
        for (int x = 0; x < 60; ++x) {
            const QColor c(shot.pixel(x, y));
            white |= y < h && c == QColor(Qt::white);
            cyan |= y >= h && c == QColor(0, 255, 255);
            black |= c == QColor(Qt::black);
        }
    EXPECT_TRUE(white);
    EXPECT_TRUE(cyan);    // the selected line
    EXPECT_TRUE(black);   // the shadow
}

TEST_F(ListBox, DelayModeStripsTheDirectionAndPicksTheIcon)
{
    using Icon = CTransparentListBox::Icon;
    list->setEditMode(CTransparentListBox::DelayValues);
    EXPECT_EQ(list->lookOf("A  dn").icon, Icon::Press);
    EXPECT_EQ(list->lookOf("A  dn").text, QStringLiteral("A  "));
    EXPECT_EQ(list->lookOf("Up up").icon, Icon::Release);   // "Up" is upper case: only "up" goes
    EXPECT_EQ(list->lookOf("Up up").text, QStringLiteral("Up "));
    EXPECT_EQ(list->lookOf("120 ms").icon, Icon::Delay);
    EXPECT_EQ(list->lookOf("120 ms").text, QStringLiteral("120 ms"));
    list->setEditMode(CTransparentListBox::FreeText);
    EXPECT_EQ(list->lookOf("A  dn").icon, Icon::None);
    EXPECT_EQ(list->lookOf("A  dn").text, QStringLiteral("A  dn"));
}

TEST_F(ListBox, LineHeightIsTheHeightOfXYZ)
{
    QFont f("Arial");
    f.setPixelSize(16);
    f.setWeight(QFont::Bold);
    list->setLines({"a", "b"});
    EXPECT_EQ(list->lineHeight(), QFontMetrics(f).size(Qt::TextSingleLine, "XYZ").height());
    EXPECT_EQ(list->visualItemRect(list->item(1)).top(), list->lineHeight());
}
