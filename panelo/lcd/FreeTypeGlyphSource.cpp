#include "panelo/lcd/FreeTypeGlyphSource.h"

#include <QString>

#include <algorithm>
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
                           : (face->style_flags & FT_STYLE_FLAG_BOLD) ? kWeightBold
                                                                       : kDefaultWeight;
    Synthesis s;
    s.bold = requestedWeight(lf) >= kSyntheticBoldFrom && faceWeight < kSyntheticBoldFrom;
    s.italic = lf.italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    if (!FT_IS_SCALABLE(face))
        s = {};
    return s;
}

Match matchFont(const LogFont& lf)
{
    Match m;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return m;
    const std::string family = QString::fromStdU16String(lf.faceName).toStdString();
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(requestedWeight(lf)));
    FcPatternAddInteger(pattern, FC_SLANT, lf.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found)
        return m;
    m.file = fcString(found, FC_FILE);
    m.index = fcInt(found, FC_INDEX, 0);
    m.family = fcString(found, FC_FAMILY);
    m.valid = !m.file.empty();
    FcPatternDestroy(found);
    return m;
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
        k.type = FT_SIZE_REQUEST_TYPE_REAL_DIM;  // ascender + descender: the cell height
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

} // namespace

struct FreeTypeGlyphSource::Impl {
    FT_Library lib = nullptr;
    std::map<std::tuple<std::u16string, int32_t, bool>, Match> matches;
    std::vector<CachedFace> faces;

    const Match& match(const LogFont& lf)
    {
        auto key = std::make_tuple(lf.faceName, lf.weight, lf.italic);
        auto it = matches.find(key);
        if (it != matches.end())
            return it->second;
        if (matches.size() >= kMaxCachedMatches)
            matches.clear();
        return matches.emplace(std::move(key), matchFont(lf)).first->second;
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
    const Match* m = d->lib ? &d->match(lf) : nullptr;
    CachedFace* f = m && m->valid ? d->face(*m) : nullptr;
    if (!f || !applySize(*f, sizeFor(f->face, lf, dpiY))) {
        out.clear();
        return false;
    }
    const Synthesis synth = synthesisFor(f->face, lf);
    // Resizing in place keeps the boxes' buffers: no allocation per keystroke.
    out.resize(text.size());
    int missingAdvance = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isSurrogate(text[i])) {
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
    return true;
}

std::string FreeTypeGlyphSource::resolvedFamily(const LogFont& lf)
{
    const Match& m = d->match(lf);
    return m.valid ? m.family : std::string();
}

} // namespace orvane::panelo
