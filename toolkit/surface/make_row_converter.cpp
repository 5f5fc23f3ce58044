#include "toolkit/surface/converter_families.h"
#include "toolkit/surface/row_converter.h"

RowConverterPtr MakeRowConverter(const PixelRegion& region) {
  RowConverter* (*const families[])(const PixelRegion&) = {
      CreatePackedConverter, CreateFloatConverter, CreatePaletteConverter,
      CreateDxtConverter, CreatePackedPairConverter,
  };
  for (auto create : families) {
    RowConverterPtr converter(create(region));
    if (converter == nullptr) continue;
    if (FAILED(converter->Initialise())) return nullptr;
    converter->PrepareColorKey();
    return converter;
  }
  return nullptr;
}
