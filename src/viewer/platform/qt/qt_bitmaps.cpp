#include "viewer/platform/qt/qt_bitmaps.h"

#include <cstring>
#include <map>
#include <string>

#include "resources/bm1.xpm"
#include "resources/bm2.xpm"
#include "resources/bm3.xpm"
#include "resources/bm4.xpm"
#include "resources/bm5.xpm"
#include "resources/bm6.xpm"
#include "resources/clubs.xpm"
#include "resources/clubs12.xpm"
#include "resources/diamds.xpm"
#include "resources/diamds12.xpm"
#include "resources/hearts.xpm"
#include "resources/hearts12.xpm"
#include "resources/pbn_icon.xpm"
#include "resources/spades.xpm"
#include "resources/spades12.xpm"

namespace viewer::qt {

namespace {

struct ResourceDef {
  const char* pcName;
  const char* const* ppcXpm;
};

constexpr ResourceDef atResources[] = {
    {"clubs", clubs_xpm},       {"diamds", diamds_xpm},     {"hearts", hearts_xpm},
    {"spades", spades_xpm},     {"clubs12", clubs12_xpm},   {"diamds12", diamds12_xpm},
    {"hearts12", hearts12_xpm}, {"spades12", spades12_xpm}, {"bm1", bm1_xpm},
    {"bm2", bm2_xpm},           {"bm3", bm3_xpm},           {"bm4", bm4_xpm},
    {"bm5", bm5_xpm},           {"bm6", bm6_xpm},           {"Pbn_Icon", pbn_icon_xpm},
};

}  // namespace

const QImage& BitmapImage(const char* pcName) {
  static const std::map<std::string, QImage> aImages = [] {
    std::map<std::string, QImage> aLoaded;
    for (const ResourceDef& tResource : atResources) {
      aLoaded.emplace(tResource.pcName, QImage(tResource.ppcXpm));
    }
    return aLoaded;
  }();
  static const QImage tNone;
  if (pcName == nullptr) return tNone;
  const auto it = aImages.find(pcName);
  return it != aImages.end() ? it->second : tNone;
}

}  // namespace viewer::qt
