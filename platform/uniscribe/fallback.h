// Faces that stand in for a face's missing characters (not part of the program's interface).
#pragma once

#include <fontconfig/fontconfig.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/font_face.h"
#include "platform/uniscribe/cache_budget.h"
#include "platform/uniscribe/shaper.h"

namespace uniscribe {

struct FallbackFace {
  std::unique_ptr<gdi::FontFace> face;
  std::shared_ptr<Shaper> shaper;
};

// fontconfig's candidates for a face, sorted by how well they match its family and style, each
// opened at the face's em size when first needed.
class FallbackFaces {
 public:
  // Shared by every analysis with faces of the same family, style and size; a few such lists are
  // kept. Null when fontconfig offers nothing.
  static std::shared_ptr<FallbackFaces> For(const gdi::FontFace& primary);
  ~FallbackFaces();
  FallbackFaces(const FallbackFaces&) = delete;
  FallbackFaces& operator=(const FallbackFaces&) = delete;

  // The first candidate that has the character; null when none has it.
  std::shared_ptr<FallbackFace> FaceFor(char32_t character);

 private:
  struct Candidate {
    std::string file;
    int index = 0;
    FcCharSet* characters = nullptr;  // owned
    std::shared_ptr<FallbackFace> opened;
    std::list<Candidate*>::iterator openPlace;  // among the open faces, while opened
    bool unusable = false;  // could not be opened or sized
  };

  // The opened face of `candidate`, opened now if it is not (null when it cannot be), and made
  // the most recently used of the open faces.
  FallbackFace* Open(Candidate& candidate);
  // Open faces of every list, the most recently used first.
  static std::list<Candidate*>& OpenFaces();
  friend CacheUsage OpenFallbackFaceUsage();

  FallbackFaces(gdi::FaceSize size, bool monochrome) : size_(size), monochrome_(monochrome) {}

  std::vector<Candidate> candidates_;
  gdi::FaceSize size_;
  bool monochrome_;
};

}  // namespace uniscribe
