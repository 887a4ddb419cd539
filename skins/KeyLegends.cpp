#include "skins/KeyLegends.h"

#include "model/KeyTables.h"

#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <map>
#include <utility>
#include <vector>

namespace orvane::skins {
namespace {

using orvane::keymap::KeyLayoutTable;

// clang-format off
constexpr std::array<const char*, orvane::keymap::kKeyCount> kLegends{
    "Esc", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "PrtSc", "ScrLk", "Pause", "Vol-", "Media", "Play", "Vol+",
    "`", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", "Backspace",
    "Ins", "Home", "PgUp", "Num", "/", "*", "-",
    "Tab", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "\\",
    "Del", "End", "PgDn", "7", "8", "9", "+",
    "Caps", "A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "Enter", "4", "5", "6",
    "Shift", "Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "Shift", "\u2191", "1", "2", "3", "Enter",
    "Ctrl", "Win", "Alt", "", "Alt", "Fn", "Menu", "Ctrl", "\u2190", "\u2193", "\u2192", "0", ".",
    "M1", "M2", "M3", "M4", "M5",
};
// clang-format on

// The faces tried for a row's word legends, largest first: the regular face ("Arial" is
// Liberation Sans through fontconfig), then its narrow cut for the rows of narrow keys.
struct LegendFace {
    const char* family;
    int pixelSize;
};
constexpr LegendFace kWordFaces[] = {
    {"Arial", 10},
    {"Arial", 9},
    {"Arial", 8},
    {"Liberation Sans Narrow", 9},
    {"Liberation Sans Narrow", 8},
    {"Liberation Sans Narrow", 7},
    {"Liberation Sans Narrow", 6},
};
constexpr int kSingleCharacterPx = 12;
// Left edges of the picture's key clusters: macro keys, main block, navigation keys, keypad.
constexpr int kMainBlockLeft = 35, kNavigationLeft = 435, kNumpadLeft = 520;

QFont makeFont(const char* family, int pixelSize, QFont::Weight weight)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

bool isWord(const QString& legend)
{
    return legend.size() > 1;
}

bool fits(const QFont& font, const QString& text, const QRectF& face)
{
    const QFontMetricsF m(font);
    const QRectF ink = m.boundingRect(text);
    const qreal width = std::max(ink.width(), m.horizontalAdvance(text));
    return width <= face.width() - 2 * kLegendMargin && m.height() <= face.height();
}

using RowKey = std::pair<qreal, int>;   // top edge, cluster

RowKey rowOf(std::size_t key)
{
    return {legendFace(key).top(), legendCluster(key)};
}

// The word face of every row of every cluster (keys with the same top edge).
const std::map<RowKey, QFont>& rowFonts()
{
    static const std::map<RowKey, QFont> fonts = [] {
        std::map<RowKey, QFont> result;
        std::map<RowKey, std::vector<std::size_t>> rows;
        for (std::size_t k = 0; k < KeyLayoutTable.size(); ++k)
            if (isWord(keyLegend(k)))
                rows[rowOf(k)].push_back(k);
        for (const auto& [top, keys] : rows) {
            QFont chosen;
            for (const LegendFace& f : kWordFaces) {
                chosen = makeFont(f.family, f.pixelSize, QFont::Normal);
                bool all = true;
                for (std::size_t k : keys)
                    all = all && fits(chosen, keyLegend(k), legendFace(k));
                if (all)
                    break;
            }
            result[top] = chosen;   // the smallest when nothing fits (checked by the tests)
        }
        return result;
    }();
    return fonts;
}

}   // namespace

QString keyLegend(std::size_t key)
{
    return key < kLegends.size() ? QString::fromUtf8(kLegends[key]) : QString();
}

int legendCluster(std::size_t key)
{
    const int left = KeyLayoutTable[key].rect.left;
    return left < kMainBlockLeft ? 0 : left < kNavigationLeft ? 1 : left < kNumpadLeft ? 2 : 3;
}

QRectF keyCap(std::size_t key)
{
    const keymap::KeyRect& r = KeyLayoutTable[key].rect;
    return QRectF(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1).adjusted(0.5, 0.5, -0.5, -0.5);
}

QRectF legendFace(std::size_t key)
{
    return keyCap(key).adjusted(2, 1.5, -2, -3.5);
}

QFont legendFont(std::size_t key)
{
    const QString legend = keyLegend(key);
    if (!isWord(legend))
        return makeFont("Arial", kSingleCharacterPx, QFont::DemiBold);
    return rowFonts().at(rowOf(key));
}

}   // namespace orvane::skins
