// Fallback faces from fontconfig's sorted list for a face, at the face's em size.
#include "platform/uniscribe/fallback.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <list>

namespace uniscribe {
namespace {

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};

// What makes two faces share their fallback list.
struct FallbackKey {
  std::string family;
  bool bold = false;
  bool italic = false;
  double emX = 0;
  double emY = 0;
  bool monochrome = false;

  bool operator==(const FallbackKey&) const = default;
};

FallbackKey KeyOf(const gdi::FontFace& face) {
  FT_Face ftFace = face.FreeTypeFace();
  FallbackKey key;
  key.family = ftFace->family_name != nullptr ? ftFace->family_name : "";
  key.bold = (ftFace->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  key.italic = (ftFace->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  key.emX = face.EmSize().emX;
  key.emY = face.EmSize().emY;
  key.monochrome = face.Monochrome();
  return key;
}

// The most recently used lists first; a handful covers the fonts of a program.
constexpr std::size_t kKeptLists = 8;

struct KeptList {
  FallbackKey key;
  std::shared_ptr<FallbackFaces> faces;
};

std::size_t openFaceBudget = defaultOpenFallbackFaces;
std::uint64_t openFaceEvictions = 0;

std::list<KeptList>& KeptLists() {
  static auto* lists = new std::list<KeptList>;
  return *lists;
}

std::unique_ptr<FcFontSet, FontSetDeleter> SortedCandidates(const FallbackKey& key) {
  if (!FcInit()) return nullptr;
  std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
  if (!pattern) return nullptr;
  FcPatternAddString(pattern.get(), FC_FAMILY,
                     reinterpret_cast<const FcChar8*>(key.family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, key.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, key.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, key.emY);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  // Trimmed: a candidate that adds no character to those before it is left out.
  return std::unique_ptr<FcFontSet, FontSetDeleter>(
      FcFontSort(nullptr, pattern.get(), FcTrue, nullptr, &result));
}

}  // namespace

std::list<FallbackFaces::Candidate*>& FallbackFaces::OpenFaces() {
  static auto* open = new std::list<Candidate*>;
  return *open;
}

std::shared_ptr<FallbackFaces> FallbackFaces::For(const gdi::FontFace& primary) {
  if (primary.FreeTypeFace() == nullptr) return nullptr;
  const FallbackKey key = KeyOf(primary);
  std::list<KeptList>& kept = KeptLists();
  for (auto it = kept.begin(); it != kept.end(); ++it) {
    if (it->key != key) continue;
    kept.splice(kept.begin(), kept, it);
    return kept.front().faces;
  }
  const std::unique_ptr<FcFontSet, FontSetDeleter> sorted = SortedCandidates(key);
  if (!sorted) return nullptr;
  std::shared_ptr<FallbackFaces> faces(new FallbackFaces(primary.EmSize(), key.monochrome));
  for (int i = 0; i < sorted->nfont; ++i) {
    FcChar8* file = nullptr;
    FcCharSet* characters = nullptr;
    if (FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) != FcResultMatch ||
        FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) != FcResultMatch) {
      continue;
    }
    Candidate candidate;
    candidate.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(sorted->fonts[i], FC_INDEX, 0, &candidate.index);
    candidate.characters = FcCharSetCopy(characters);
    faces->candidates_.push_back(std::move(candidate));
  }
  kept.push_front({key, faces});
  if (kept.size() > kKeptLists) kept.pop_back();
  return faces;
}

FallbackFaces::~FallbackFaces() {
  for (Candidate& candidate : candidates_) {
    if (candidate.opened) OpenFaces().erase(candidate.openPlace);
    FcCharSetDestroy(candidate.characters);
  }
}

std::shared_ptr<FallbackFace> FallbackFaces::FaceFor(char32_t character) {
  for (Candidate& candidate : candidates_) {
    if (candidate.unusable || !FcCharSetHasChar(candidate.characters, character)) continue;
    FallbackFace* face = Open(candidate);
    // fontconfig's character set can claim what the character map lacks.
    if (face != nullptr && face->shaper->GlyphOf(character) != 0) return candidate.opened;
  }
  return nullptr;
}

FallbackFace* FallbackFaces::Open(Candidate& candidate) {
  std::list<Candidate*>& open = OpenFaces();
  if (candidate.opened) {
    open.splice(open.begin(), open, candidate.openPlace);
    return candidate.opened.get();
  }
  auto opened = std::make_shared<FallbackFace>();
  opened->face =
      gdi::FontFace::OpenFile(candidate.file.c_str(), candidate.index, size_, monochrome_);
  if (opened->face) opened->shaper = Shaper::ForFace(*opened->face);
  if (!opened->shaper) {
    candidate.unusable = true;
    return nullptr;
  }
  // The least recently used faces close; an analysis still drawing with one keeps it alive.
  while (open.size() >= std::max<std::size_t>(openFaceBudget, 1)) {
    open.back()->opened.reset();
    open.pop_back();
    ++openFaceEvictions;
  }
  candidate.opened = std::move(opened);
  open.push_front(&candidate);
  candidate.openPlace = open.begin();
  return candidate.opened.get();
}

void SetOpenFallbackFaceBudget(std::size_t faces) {
  openFaceBudget = std::max<std::size_t>(faces, 1);
}

CacheUsage OpenFallbackFaceUsage() {
  return CacheUsage{0, FallbackFaces::OpenFaces().size(), openFaceEvictions};
}

}  // namespace uniscribe
