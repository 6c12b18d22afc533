// The URID map a host of one thread gives its plug-ins: each URI's number is
// its place in a list.
#pragma once

#include <lv2/urid/urid.h>

#include <string>
#include <vector>

namespace tavolu::lv2host {

class UridMap {
  public:
    LV2_URID_Map* feature() { return &map; }

  private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
        auto* self = static_cast<UridMap*>(handle);
        for (std::size_t i = 0; i < self->uris.size(); ++i)
            if (self->uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        self->uris.emplace_back(uri);
        return static_cast<LV2_URID>(self->uris.size());
    }
    std::vector<std::string> uris;
    LV2_URID_Map map{this, &UridMap::mapUri};
};

}  // namespace tavolu::lv2host
