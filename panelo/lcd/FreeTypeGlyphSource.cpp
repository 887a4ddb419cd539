#include "panelo/lcd/FreeTypeGlyphSource.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace orvane::panelo {
namespace {

// Em sizes beyond this give glyphs far over the 2048-byte rule anyway; the
// cap keeps a silly size from making FreeType render huge bitmaps.
constexpr int64_t kMaxEmPixels = 4096;
constexpr int kDefaultPoints = 12;
constexpr int kDefaultWeight = 400;
constexpr int kSyntheticBoldFrom = 600;
// The shear of synthesised italics, about 12 degrees (16.16 fixed point).
constexpr FT_Fixed kItalicShear = 0x0366A;
constexpr std::size_t kMaxCachedMatches = 64;
constexpr std::size_t kMaxCachedFallbacks = 64;
constexpr std::size_t kMaxCachedFaces = 8;

struct Match {
    bool valid = false;
    std::string file;
    int index = 0;
    std::string family;
};

// What has to be made up because the face file itself lacks it.
struct Synthesis {
    bool bold = false;
    bool italic = false;
};

struct SizeKey {
    int type = -1;
    int64_t emX = 0;
    int64_t emY = 0;
    bool operator==(const SizeKey&) const = default;
};

struct CachedFace {
    std::string file;
    int index = 0;
    FT_Face face = nullptr;
    SizeKey size;
};

bool isSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

int64_t clampEm(int64_t em)
{
    return std::clamp<int64_t>(em, 1, kMaxEmPixels);
}

int roundedPixels(FT_Pos pos26_6)
{
    return int((pos26_6 + 32) >> 6);
}

std::string fcString(FcPattern* p, const char* object)
{
    FcChar8* s = nullptr;
    return FcPatternGetString(p, object, 0, &s) == FcResultMatch && s ? std::string(reinterpret_cast<char*>(s))
                                                                      : std::string();
}

int fcInt(FcPattern* p, const char* object, int fallback)
{
    int v = fallback;
    return FcPatternGetInteger(p, object, 0, &v) == FcResultMatch ? v : fallback;
}

int requestedWeight(const LogFont& lf)
{
    return std::clamp(lf.weight == 0 ? kDefaultWeight : int(lf.weight), 1, 1000);
}

// Decided on the face file itself: fontconfig's own synthesis rules rewrite
// the weight and slant it reports for a match.
Synthesis synthesisFor(FT_Face face, const LogFont& lf)
{
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const int faceWeight = os2 && os2->usWeightClass > 0 ? os2->usWeightClass
        : (face->style_flags & FT_STYLE_FLAG_BOLD)       ? kWeightBold
                                                         : kDefaultWeight;
    Synthesis s;
    s.bold = requestedWeight(lf) >= kSyntheticBoldFrom && faceWeight < kSyntheticBoldFrom;
    s.italic = lf.italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    if (!FT_IS_SCALABLE(face))
        s = {};
    return s;
}

// The Chinese face names users pick on Windows, and the faces fontconfig
// offers for them here, tried in this order after the name itself: the Hei
// (sans-serif) faces for a Hei name, the Song (serif) faces and then the Hei
// ones for a Song name.
constexpr std::array kHeiFaces{"Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Zen Hei", "WenQuanYi Micro Hei",
                               "Droid Sans Fallback"};
constexpr std::array kSongFaces{"Noto Serif CJK SC", "Source Han Serif SC", "AR PL UMing CN", "AR PL SungtiL GB"};

struct FaceAlias {
    std::u16string_view name;
    bool song;
};

constexpr std::array kChineseFaceNames{
    FaceAlias{u"黑体", false},     FaceAlias{u"SimHei", false},
    FaceAlias{u"微软雅黑", false}, FaceAlias{u"Microsoft YaHei", false},
    FaceAlias{u"宋体", true},      FaceAlias{u"SimSun", true},
    FaceAlias{u"新宋体", true},    FaceAlias{u"NSimSun", true},
};

// Face names compare as fontconfig compares families: without regard to case
// or blanks.
std::u16string foldedName(std::u16string_view name)
{
    std::u16string out;
    for (char16_t c : name) {
        if (c == u' ')
            continue;
        out.push_back(c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c);
    }
    return out;
}

const FaceAlias* chineseAlias(std::u16string_view face)
{
    const std::u16string folded = foldedName(face);
    for (const FaceAlias& a : kChineseFaceNames)
        if (foldedName(a.name) == folded)
            return &a;
    return nullptr;
}

// Ideographs, their radicals and strokes, and the CJK punctuation and
// full-width forms that Chinese text is written with.
bool isHan(char16_t c)
{
    return (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0x31C0 && c <= 0x31EF) ||
        (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0xFF00 && c <= 0xFFEF);
}

bool holdsHan(std::u16string_view text)
{
    return std::any_of(text.begin(), text.end(), isHan);
}

void addFamily(FcPattern* p, const char* family)
{
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
}

// The font's family (with the CJK faces standing in for a Windows Chinese
// name), weight and slant; the language zh-cn for a Chinese face name or
// text. Null when fontconfig cannot make a pattern.
FcPattern* fontPattern(const LogFont& lf, bool hanText)
{
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return nullptr;
    const std::string family = QString::fromStdU16String(lf.faceName).toStdString();
    if (!family.empty())
        addFamily(pattern, family.c_str());
    const FaceAlias* alias = chineseAlias(lf.faceName);
    if (alias) {
        if (alias->song)
            for (const char* f : kSongFaces)
                addFamily(pattern, f);
        for (const char* f : kHeiFaces)
            addFamily(pattern, f);
    }
    if (alias || hanText || holdsHan(lf.faceName)) {
        FcLangSet* langs = FcLangSetCreate();
        if (langs) {
            FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("zh-cn"));
            FcPatternAddLangSet(pattern, FC_LANG, langs);
            FcLangSetDestroy(langs);
        }
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(requestedWeight(lf)));
    FcPatternAddInteger(pattern, FC_SLANT, lf.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    return pattern;
}

Match matchOf(FcPattern* found)
{
    Match m;
    m.file = fcString(found, FC_FILE);
    m.index = fcInt(found, FC_INDEX, 0);
    m.family = fcString(found, FC_FAMILY);
    m.valid = !m.file.empty();
    return m;
}

Match matchFont(const LogFont& lf, bool hanText)
{
    FcPattern* pattern = fontPattern(lf, hanText);
    if (!pattern)
        return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found)
        return {};
    Match m = matchOf(found);
    FcPatternDestroy(found);
    return m;
}

// For each of `missing` (sorted, no duplicates), the first face of those
// fontconfig sorts for the font and these characters that has a glyph for it;
// an invalid match where none has.
std::vector<Match> fallbackFonts(const LogFont& lf, const std::vector<char16_t>& missing)
{
    std::vector<Match> found(missing.size());
    FcPattern* pattern = fontPattern(lf, std::any_of(missing.begin(), missing.end(), isHan));
    FcCharSet* chars = FcCharSetCreate();
    if (!pattern || !chars) {
        if (pattern)
            FcPatternDestroy(pattern);
        if (chars)
            FcCharSetDestroy(chars);
        return found;
    }
    for (char16_t c : missing)
        FcCharSetAddChar(chars, c);
    FcPatternAddCharSet(pattern, FC_CHARSET, chars);
    FcCharSetDestroy(chars);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    if (!sorted)
        return found;
    std::size_t left = missing.size();
    for (int f = 0; f < sorted->nfont && left > 0; ++f) {
        FcCharSet* covered = nullptr;
        if (FcPatternGetCharSet(sorted->fonts[f], FC_CHARSET, 0, &covered) != FcResultMatch || !covered)
            continue;
        for (std::size_t i = 0; i < missing.size(); ++i) {
            if (found[i].valid || !FcCharSetHasChar(covered, missing[i]))
                continue;
            found[i] = matchOf(sorted->fonts[f]);
            left -= found[i].valid ? 1 : 0;
        }
    }
    FcFontSetDestroy(sorted);
    return found;
}

// A positive width asks for that average character width (OS/2 xAvgCharWidth).
int64_t horizontalEm(FT_Face face, const LogFont& lf, int64_t emY)
{
    if (lf.width <= 0)
        return emY;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->xAvgCharWidth > 0 && face->units_per_EM > 0)
        return clampEm(int64_t(lf.width) * face->units_per_EM / os2->xAvgCharWidth);
    return clampEm(int64_t(lf.width) * 2);
}

SizeKey sizeFor(FT_Face face, const LogFont& lf, int dpiY)
{
    SizeKey k;
    int64_t emY = 0;
    if (lf.height < 0) {
        k.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
        emY = -int64_t(lf.height);
    } else if (lf.height > 0) {
        k.type = FT_SIZE_REQUEST_TYPE_REAL_DIM;   // ascender + descender: the cell height
        emY = lf.height;
    } else {
        k.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
        emY = MulDiv(kDefaultPoints, dpiY, 72);
    }
    k.emY = clampEm(emY);
    k.emX = horizontalEm(face, lf, k.emY);
    return k;
}

bool applySize(CachedFace& f, const SizeKey& k)
{
    if (f.size == k)
        return true;
    FT_Error err = 0;
    if (FT_IS_SCALABLE(f.face)) {
        FT_Size_RequestRec req{};
        req.type = FT_Size_Request_Type(k.type);
        req.width = FT_Long(k.emX * 64);
        req.height = FT_Long(k.emY * 64);
        err = FT_Request_Size(f.face, &req);
    } else {
        // A bitmap-only face: the strike nearest to the asked height.
        FT_Int best = 0;
        for (FT_Int i = 1; i < f.face->num_fixed_sizes; ++i)
            if (std::abs(f.face->available_sizes[i].height - k.emY) <
                std::abs(f.face->available_sizes[best].height - k.emY))
                best = i;
        err = f.face->num_fixed_sizes > 0 ? FT_Select_Size(f.face, best) : 1;
    }
    f.size = err ? SizeKey{} : k;
    return err == 0;
}

void synthesise(FT_GlyphSlot slot, const Synthesis& m)
{
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return;
    if (m.italic) {
        FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
    }
    if (m.bold)
        FT_GlyphSlot_Embolden(slot);
}

// Loads and renders one glyph; true when the slot now holds a one-bit bitmap.
bool loadMono(FT_Face face, FT_UInt index, FT_Int32 extraFlags, const Synthesis& m)
{
    const bool synth = m.bold || m.italic;
    const FT_Int32 flags = FT_LOAD_TARGET_MONO | extraFlags | (synth ? 0 : FT_LOAD_RENDER);
    if (FT_Load_Glyph(face, index, flags) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    if (synth)
        synthesise(slot, m);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return false;
    return slot->format == FT_GLYPH_FORMAT_BITMAP && slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
}

int fallbackAdvance(FT_Face face, FT_UInt index)
{
    FT_Fixed adv = 0;
    if (FT_Get_Advance(face, index, FT_LOAD_TARGET_MONO, &adv) != 0)
        return 0;
    return int((adv + 0x8000) >> 16);
}

// Copies the slot's bitmap into `box`, rows repacked to 32-bit padding; a
// bitmap over the glyph buffer keeps its metrics only.
void takeBitmap(FT_GlyphSlot slot, GlyphBox& box)
{
    const FT_Bitmap& bm = slot->bitmap;
    box.width = int(bm.width);
    box.rows = int(bm.rows);
    box.left = slot->bitmap_left;
    box.top = slot->bitmap_top;
    box.advance = roundedPixels(slot->advance.x);
    const std::size_t pitch = std::size_t(GlyphPitch(box.width));
    const std::size_t bytes = pitch * std::size_t(box.rows);
    if (bytes == 0 || bytes > kGlyphBufferBytes || !bm.buffer)
        return;
    box.bits.assign(bytes, 0);
    bool lit = false;
    const std::size_t rowBytes = (std::size_t(box.width) + 7) / 8;
    const std::size_t srcPitch = std::size_t(bm.pitch < 0 ? -bm.pitch : bm.pitch);
    for (int r = 0; r < box.rows; ++r) {
        // A negative pitch means the rows are stored bottom first.
        const int srcRow = bm.pitch < 0 ? box.rows - 1 - r : r;
        const uint8_t* src = bm.buffer + srcPitch * std::size_t(srcRow);
        std::memcpy(box.bits.data() + pitch * std::size_t(r), src, rowBytes);
        lit = lit || std::any_of(src, src + rowBytes, [](uint8_t b) { return b != 0; });
    }
    // A blank glyph (a space renders as one dark pixel) has no bitmap to draw.
    if (!lit)
        box.bits.clear();
}

void renderGlyph(FT_Face face, FT_UInt index, const Synthesis& m, GlyphBox& box)
{
    box.width = box.rows = box.left = box.top = box.advance = 0;
    box.bits.clear();
    // A strike that is not one-bit (grey or colour) is replaced by the outline.
    if (loadMono(face, index, 0, m) || loadMono(face, index, FT_LOAD_NO_BITMAP, m)) {
        takeBitmap(face->glyph, box);
        return;
    }
    box.advance = fallbackAdvance(face, index);
}

}   // namespace

struct FreeTypeGlyphSource::Impl {
    using FontKey = std::tuple<std::u16string, int32_t, bool>;

    FT_Library lib = nullptr;
    std::map<std::tuple<FontKey, bool>, Match> matches;
    // The fallback faces of a font for a set of characters its own face lacks.
    std::map<std::tuple<FontKey, std::vector<char16_t>>, std::vector<Match>> fallbacks;
    std::vector<CachedFace> faces;

    static FontKey keyOf(const LogFont& lf) { return std::make_tuple(lf.faceName, lf.weight, lf.italic); }

    const Match& match(const LogFont& lf, bool hanText)
    {
        auto key = std::make_tuple(keyOf(lf), hanText);
        auto it = matches.find(key);
        if (it != matches.end())
            return it->second;
        if (matches.size() >= kMaxCachedMatches)
            matches.clear();
        return matches.emplace(std::move(key), matchFont(lf, hanText)).first->second;
    }

    const std::vector<Match>& fallback(const LogFont& lf, std::vector<char16_t> missing)
    {
        auto key = std::make_tuple(keyOf(lf), std::move(missing));
        auto it = fallbacks.find(key);
        if (it != fallbacks.end())
            return it->second;
        if (fallbacks.size() >= kMaxCachedFallbacks)
            fallbacks.clear();
        std::vector<Match> found = fallbackFonts(lf, std::get<1>(key));
        return fallbacks.emplace(std::move(key), std::move(found)).first->second;
    }

    // The face of `m` at the font's size; null when it cannot be opened or sized.
    // A later call may close it: use one face at a time.
    CachedFace* sizedFace(const Match& m, const LogFont& lf, int dpiY)
    {
        CachedFace* f = m.valid ? face(m) : nullptr;
        return f && applySize(*f, sizeFor(f->face, lf, dpiY)) ? f : nullptr;
    }

    CachedFace* face(const Match& m)
    {
        for (CachedFace& f : faces)
            if (f.file == m.file && f.index == m.index)
                return &f;
        FT_Face ft = nullptr;
        if (FT_New_Face(lib, m.file.c_str(), m.index, &ft) != 0)
            return nullptr;
        if (faces.size() >= kMaxCachedFaces) {
            FT_Done_Face(faces.front().face);
            faces.erase(faces.begin());
        }
        faces.push_back(CachedFace{m.file, m.index, ft, {}});
        return &faces.back();
    }
};

FreeTypeGlyphSource::FreeTypeGlyphSource() : d(std::make_unique<Impl>())
{
    FcInit();
    if (FT_Init_FreeType(&d->lib) != 0)
        d->lib = nullptr;
}

FreeTypeGlyphSource::~FreeTypeGlyphSource()
{
    for (CachedFace& f : d->faces)
        FT_Done_Face(f.face);
    if (d->lib)
        FT_Done_FreeType(d->lib);
}

bool FreeTypeGlyphSource::render(std::u16string_view text, const LogFont& lf, int dpiY, std::vector<GlyphBox>& out)
{
    const Match* m = d->lib ? &d->match(lf, holdsHan(text)) : nullptr;
    CachedFace* f = m ? d->sizedFace(*m, lf, dpiY) : nullptr;
    if (!f) {
        out.clear();
        return false;
    }
    // Resizing in place keeps the boxes' buffers: no allocation per keystroke.
    out.resize(text.size());
    // Characters the font's own face lacks come from the first face that
    // fontconfig sorts for them, as text boxes do; those that no face has
    // are drawn as the font's missing-glyph symbol.
    std::vector<char16_t> missing;
    for (char16_t c : text)
        if (!isSurrogate(c) && FT_Get_Char_Index(f->face, c) == 0)
            missing.push_back(c);
    std::sort(missing.begin(), missing.end());
    missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
    std::vector<Match> from;
    if (!missing.empty())
        from = d->fallback(lf, missing);
    auto fallbackOf = [&](char16_t c) -> const Match* {
        const auto at = std::lower_bound(missing.begin(), missing.end(), c);
        if (at == missing.end() || *at != c)
            return nullptr;
        const Match& fb = from[std::size_t(at - missing.begin())];
        return fb.valid ? &fb : nullptr;
    };

    const Synthesis synth = synthesisFor(f->face, lf);
    const int notdefAdvance = from.empty() ? 0 : fallbackAdvance(f->face, 0);
    int missingAdvance = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isSurrogate(text[i])) {
            if (!fallbackOf(text[i]))
                renderGlyph(f->face, FT_Get_Char_Index(f->face, text[i]), synth, out[i]);
            continue;
        }
        // Half of a character outside the basic plane draws nothing and
        // moves the pen like the face's missing-glyph symbol.
        if (missingAdvance < 0) {
            renderGlyph(f->face, 0, synth, out[i]);
            missingAdvance = out[i].advance;
        }
        GlyphBox& box = out[i];
        box.width = box.rows = box.left = box.top = 0;
        box.bits.clear();
        box.advance = missingAdvance;
    }

    if (from.empty())
        return true;
    // One fallback face at a time: opening another may close the last one.
    std::vector<bool> done(text.size(), false);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Match* fb = isSurrogate(text[i]) || done[i] ? nullptr : fallbackOf(text[i]);
        if (!fb)
            continue;
        CachedFace* other = d->sizedFace(*fb, lf, dpiY);
        const Synthesis otherSynth = other ? synthesisFor(other->face, lf) : Synthesis{};
        for (std::size_t j = i; j < text.size(); ++j) {
            const Match* same = isSurrogate(text[j]) || done[j] ? nullptr : fallbackOf(text[j]);
            if (!same || same->file != fb->file || same->index != fb->index)
                continue;
            done[j] = true;
            if (other)
                renderGlyph(other->face, FT_Get_Char_Index(other->face, text[j]), otherSynth, out[j]);
            else
                out[j] = GlyphBox{0, 0, 0, 0, notdefAdvance, {}};
        }
    }
    return true;
}

std::string FreeTypeGlyphSource::resolvedFamily(const LogFont& lf)
{
    const Match& m = d->match(lf, false);
    return m.valid ? m.family : std::string();
}

}   // namespace orvane::panelo
