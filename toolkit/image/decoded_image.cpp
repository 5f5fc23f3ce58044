#include "toolkit/image/decoded_image.h"

#include <new>

#include "toolkit/common/allocation.h"

void DecodedImage::Empty() {
  if (ownsPixels) FreeBytes(pixels);
  if (ownsPalette) FreeBytes(palette);
  DecodedImage* levels = nextLevel;
  DecodedImage* faces = nextFace;
  pixels = nullptr;
  palette = nullptr;
  ownsPixels = FALSE;
  ownsPalette = FALSE;
  nextLevel = nullptr;
  nextFace = nullptr;
  DestroyChained(levels);
  DestroyChained(faces);
}

DecodedImage* DecodedImage::NewChained() {
  void* block = AllocateBytes(sizeof(DecodedImage));
  if (block == nullptr) return nullptr;
  return new (block) DecodedImage();
}

// One loop over the whole tree, however deep its chains: a record with a face chain is
// rotated under its first face (which takes it as its next level, handing over its own
// levels), so that the loop only ever walks level chains, freeing each record once its
// chains are detached.
void DecodedImage::DestroyChained(DecodedImage* image) {
  while (image != nullptr) {
    DecodedImage* face = image->nextFace;
    if (face != nullptr) {
      image->nextFace = face->nextLevel;
      face->nextLevel = image;
      image = face;
      continue;
    }
    DecodedImage* next = image->nextLevel;
    image->nextLevel = nullptr;
    image->~DecodedImage();
    FreeBytes(image);
    image = next;
  }
}

UINT DecodedImage::LevelCount() const {
  UINT count = 1;
  for (const DecodedImage* level = nextLevel; level != nullptr; level = level->nextLevel) ++count;
  return count;
}

UINT DecodedImage::FaceCount() const {
  UINT count = 1;
  for (const DecodedImage* face = nextFace; face != nullptr; face = face->nextFace) ++count;
  return count;
}

RECT DecodedImage::SourceRect() const {
  return RECT{static_cast<LONG>(sourceBox.Left), static_cast<LONG>(sourceBox.Top),
              static_cast<LONG>(sourceBox.Right), static_cast<LONG>(sourceBox.Bottom)};
}

void DecodedImage::SetWholeSourceBoxes() {
  for (DecodedImage* face = this; face != nullptr; face = face->nextFace) {
    for (DecodedImage* level = face; level != nullptr; level = level->nextLevel) {
      level->sourceBox = D3DBOX{0, 0, level->width, level->height, 0, level->depth};
    }
  }
}

D3DXIMAGE_INFO DescribeImage(const DecodedImage& head) {
  D3DXIMAGE_INFO info{};
  info.Width = head.width;
  info.Height = head.height;
  info.Depth = head.depth;
  info.MipLevels = head.LevelCount();
  info.Format = NormalizeFormat(head.format);
  info.ResourceType = head.resourceType;
  info.ImageFileFormat = head.fileFormat;
  return info;
}
