// VividTree's picture, rendered offscreen with grab().

#include "keymap/ui/VividTree.h"
#include "platform/ui/SkinImages.h"
#include "tests/support/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using orvane::keymap::VividTree;

constexpr QRgb kSolid = qRgb(30, 30, 30);
constexpr QRgb kBar = qRgb(102, 46, 47);

QImage glyph(bool expanded)
{
    QImage img(9, 9, QImage::Format_ARGB32);
    img.fill(qRgb(220, 220, 220));
    QPainter p(&img);
    p.setPen(QColor(0, 0, 255));
    p.drawLine(2, 4, 6, 4);
    if (!expanded)
        p.drawLine(4, 2, 4, 6);
    return img;
}

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.resize(200, 120);
        tree.setBkMode(VividTree::BkSolid);
        QImage back(10, 14, QImage::Format_RGB32);
        back.fill(qRgb(0, 128, 0));
        tree.SetBitmaps(back, glyph(false), glyph(true));
    }
    QTreeWidgetItem* add(const QString& text, QTreeWidgetItem* parent = nullptr)
    {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
        item->setText(0, text);
        return item;
    }
    QImage render() { return tree.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static int count(const QImage& img, QRgb colour, QRect r = {})
    {
        if (r.isNull())
            r = img.rect();
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += img.pixel(x, y) == colour;
        return n;
    }

    VividTree tree;
};

TEST_F(TreeTest, EmptySolidTreeIsOnePlainRectangle)
{
    tree.show();
    const QImage img = tree.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.size(), QSize(200, 120));
    EXPECT_EQ(count(img, kSolid), img.width() * img.height());
}

TEST_F(TreeTest, BarOnlyWithFocusOrTheStyleAndTextsStayWhite)
{
    add("Keys");
    QTreeWidgetItem* item = add("Media");
    tree.setCurrentItem(item);
    ASSERT_TRUE(item->isSelected());
    const QRect row = tree.visualItemRect(item);

    EXPECT_EQ(count(render(), kBar), 0) << "no focus, no style: no bar";

    tree.setShowSelectionAlways(true);
    QImage img = render();
    const QRect barRow(0, row.top(), img.width(), row.height());
    EXPECT_GT(count(img, kBar, barRow), barRow.width() * row.height() / 2);
    EXPECT_EQ(count(img, kBar), count(img, kBar, barRow)) << "the bar stays on the selected row";
    EXPECT_GT(count(img, qRgb(255, 255, 255), barRow), 10) << "selected text stays white";

    tree.setShowSelectionAlways(false);
    tree.show();
    QApplication::setActiveWindow(&tree);
    tree.setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(tree.hasFocus());
    EXPECT_GT(count(render(), kBar, barRow), barRow.width() * row.height() / 2) << "focus shows the bar";
}

TEST_F(TreeTest, GlyphsOnlyOnItemsWithChildrenAtTheTextsLeft)
{
    QTreeWidgetItem* parent = add("Multimedia");
    add("Play", parent);
    QTreeWidgetItem* leaf = add("Disable");
    const QRgb glyphBox = qRgb(220, 220, 220);
    const QRgb glyphSign = qRgb(0, 0, 255);

    QRect text = tree.itemTextRect(parent);
    QImage img = render();
    const QRect box(text.left() - 9 - 2, text.top() + 4, 9, 9);
    EXPECT_EQ(count(img, glyphBox, box) + count(img, glyphSign, box), 81);
    EXPECT_EQ(count(img, glyphSign, box), 9) << "collapsed: plus";
    const QRect leafText = tree.itemTextRect(leaf);
    const QRect leafBox(leafText.left() - 11, leafText.top() + 4, 9, 9);
    EXPECT_EQ(count(img, glyphBox, leafBox) + count(img, glyphSign, leafBox), 0) << "no glyph on a leaf";

    parent->setExpanded(true);
    img = render();
    text = tree.itemTextRect(parent);
    EXPECT_EQ(count(img, glyphSign, QRect(text.left() - 11, text.top() + 4, 9, 9)), 5) << "expanded: minus";
    const QRect childText = tree.itemTextRect(parent->child(0));
    EXPECT_EQ(count(img, glyphBox, QRect(childText.left() - 11, childText.top() + 4, 9, 9)), 0);
}

// The glyph is found where it is drawn; a click at each of its columns opens its group and the
// next one closes it, while a click on the text beside it only selects.
TEST_F(TreeTest, ClickOnTheGlyphsRightHalfOpensTheGroup)
{
    QTreeWidgetItem* group = add("Multimedia");
    add("Play", group);
    add("Disable");
    tree.show();
    const QImage img = render();
    const QRect row = tree.visualItemRect(group);
    int left = -1, right = -1;
    for (int x = 0; x < tree.itemTextRect(group).left(); ++x)   // left of the text: only the glyph
        if (count(img, qRgb(220, 220, 220), QRect(x, row.top(), 1, row.height())) > 0) {
            left = left < 0 ? x : left;
            right = x;
        }
    ASSERT_GE(left, 0) << "no glyph drawn";
    ASSERT_EQ(right - left + 1, 9);
    const int y = row.top() + 4 + 4;   // the glyph's middle row
    for (int x = left; x <= right; ++x) {
        SCOPED_TRACE(x);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(x, y));
        EXPECT_TRUE(group->isExpanded());
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(x, y));
        EXPECT_FALSE(group->isExpanded());
    }
    // A double-click on the glyph is two toggles.
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, QPoint(right, y));
    EXPECT_FALSE(group->isExpanded());
    const QRect text = tree.itemTextRect(group);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(text.left() + 3, y));
    EXPECT_FALSE(group->isExpanded()) << "a click on the text only selects";
    EXPECT_TRUE(group->isSelected());
}

TEST_F(TreeTest, GradientAndBitmapBackgrounds)
{
    tree.setBkMode(VividTree::BkGradient);
    tree.setGradient(QColor(0, 0, 0), QColor(255, 0, 0), true);
    QImage img = render();
    EXPECT_LT(qRed(img.pixel(1, 50)), 10);
    EXPECT_GT(qRed(img.pixel(198, 50)), 245);
    EXPECT_EQ(qRed(img.pixel(100, 0)), qRed(img.pixel(100, 119))) << "horizontal: columns are even";

    tree.setGradient(QColor(0, 0, 0), QColor(255, 0, 0), false);
    img = render();
    EXPECT_LT(qRed(img.pixel(100, 1)), 10);
    EXPECT_GT(qRed(img.pixel(100, 118)), 245);

    tree.setBkMode(VividTree::BkBitmap);
    EXPECT_EQ(count(render(), qRgb(0, 128, 0)), 200 * 120) << "stretched bitmap covers the area";

    QImage checker(10, 14, QImage::Format_RGB32);
    checker.fill(qRgb(0, 0, 200));
    checker.setPixel(0, 0, qRgb(200, 200, 0));
    tree.SetBitmaps(checker, glyph(false), glyph(true));
    tree.setTile(true);
    img = render();
    EXPECT_EQ(img.pixel(0, 0), qRgb(200, 200, 0));
    EXPECT_EQ(img.pixel(10, 14), qRgb(200, 200, 0)) << "tiles in steps of the bitmap's size";
    EXPECT_EQ(img.pixel(5, 7), qRgb(0, 0, 200));
}

TEST_F(TreeTest, StoresTheItemIconAndKeepsStandardBehaviour)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    tree.SetItemIcon(QIcon(pm));
    EXPECT_FALSE(tree.GetItemIcon().isNull());
    QTreeWidgetItem* a = add("A");
    add("child", a);
    add("B");
    tree.setCurrentItem(a);
    tree.show();
    tree.setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(&tree, &right);
    EXPECT_TRUE(a->isExpanded()) << "keys stay the standard tree's";
}

TEST(TreeSkin, LoadsTheGeneratedBitmaps)
{
    ASSERT_TRUE(orvane::test::skinImagesBuilt({"png/english/Custom/Custom_BK.png"}));
    const QString folder = orvane::test::programFolder() + "png/english/";
    VividTree tree;
    tree.resize(180, 100);
    tree.setBkMode(VividTree::BkSolid);
    EXPECT_TRUE(tree.SetBitmaps(orvane::ui::SkinImages(folder)));
    auto* media = new QTreeWidgetItem(&tree, {QStringLiteral("Multimedia")});
    new QTreeWidgetItem(media, {QStringLiteral("Play/Pause")});
    auto* mouse = new QTreeWidgetItem(&tree, {QStringLiteral("Mouse")});
    new QTreeWidgetItem(mouse, {QStringLiteral("MsLB")});
    media->setExpanded(true);
    tree.setShowSelectionAlways(true);
    tree.setCurrentItem(media->child(0));
    const QImage img = tree.viewport()->grab().toImage();
    const QRect text = tree.itemTextRect(media);
    const QRgb centre = img.pixel(text.left() - 2 - 9 + 4, text.top() + 4 + 4);
    EXPECT_NE(centre, qRgb(30, 30, 30)) << "the generated glyph is drawn";
}

}   // namespace
