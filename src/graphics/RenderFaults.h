#pragma once
// Problems met while drawing, counted so that a view can tell the user once per
// redraw instead of once per pixel. The affected pixels are drawn in kFaultColour.

#include <cstdint>

namespace quorvan {

// The counters only grow; a redraw compares them before and after.
struct RenderFaults {
    std::uint64_t badColourPixels = 0; // tile pixels (before scaling) whose colour number was above 63
    std::uint64_t badTiles = 0;        // tiles whose bytes lay outside the data
    std::uint64_t badReads = 0;        // blocks with tile-number, attribute or palette bytes outside
                                       // the image (read as 0) or of a stage row outside 0..10

    bool any() const { return badColourPixels || badTiles || badReads; }

    RenderFaults& operator+=(const RenderFaults& more)
    {
        badColourPixels += more.badColourPixels;
        badTiles += more.badTiles;
        badReads += more.badReads;
        return *this;
    }

    bool operator==(const RenderFaults&) const = default;
};

} // namespace quorvan
