// SPDX-License-Identifier: MIT
#include "tools/gemlet_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace gemlets::assets {

namespace {

constexpr Colour white{1, 1, 1};

constexpr std::array<Colour, maxCols> bodyColours =
    perColour<Colour>(Colour{0.10f, 0.33f, 0.92f}, // blue
                      Colour{0.88f, 0.08f, 0.12f}, // red
                      Colour{0.08f, 0.66f, 0.22f}, // green
                      Colour{0.98f, 0.80f, 0.06f}  // yellow
    );

// Octagons share one shape: straight sides with the corners cut off at 45 degrees. The level
// of a point is the apothem of the octagon through it, so rings of the cut are level bands.
constexpr float cornerCut = 1.45f;
constexpr float outerLevel = 15.0f;
constexpr float rimLevel = 14.0f;
constexpr float tableLevel = 8.5f;

float octagonLevel(float x, float y) {
    return std::max({std::abs(x), std::abs(y), (std::abs(x) + std::abs(y)) / cornerCut});
}

// How squarely the light strikes the bevel facet that a point lies on, from -1 (facing away)
// to 1; the facet is the side of the octagon nearest the point. The light comes from the top
// left, so facets facing left or up are lit.
float facetLight(float x, float y) {
    constexpr float fromLeft = 0.6f;
    constexpr float fromAbove = 0.8f;
    constexpr float diagonalNormal = 0.7071f;
    const float diagonal = (std::abs(x) + std::abs(y)) / cornerCut;
    if (diagonal >= std::abs(x) && diagonal >= std::abs(y))
        return -diagonalNormal * (std::copysign(fromLeft, x) + std::copysign(fromAbove, y));
    if (std::abs(x) > std::abs(y))
        return -std::copysign(fromLeft, x);
    return -std::copysign(fromAbove, y);
}

Colour shade(Colour body, float light) {
    return light > 0 ? mix(body, white, 0.5f * light) : scale(body, 1.0f + 0.5f * light);
}

float segmentDistance(float x, float y, float ax, float ay, float bx, float by) {
    const float dx = bx - ax;
    const float dy = by - ay;
    const float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - ax - t * dx, y - ay - t * dy);
}

// Signed distance to the mark's edge, negative inside; the four shapes differ in outline so
// that no colour has to be seen to tell the gemlets apart.
using MarkShape = float (*)(float x, float y);

float ring(float x, float y) {
    return std::abs(std::hypot(x, y) - 4.0f) - 1.5f;
}

float cross(float x, float y) {
    return std::min(segmentDistance(x, y, -4.2f, -4.2f, 4.2f, 4.2f),
                    segmentDistance(x, y, -4.2f, 4.2f, 4.2f, -4.2f)) -
           1.4f;
}

// Upright triangle: apex at (0, -6), base from (-5.8, 4) to (5.8, 4).
float triangle(float x, float y) {
    const float side = (10.0f * std::abs(x) - 5.8f * (y + 6.0f)) / std::hypot(10.0f, 5.8f);
    return std::max(y - 4.0f, side);
}

float diamond(float x, float y) {
    return (std::abs(x) + std::abs(y) - 6.0f) * 0.7071f;
}

constexpr std::array<MarkShape, maxCols> marks =
    perColour<MarkShape>(ring, cross, triangle, diamond);

std::optional<Colour> sample(int col, float x, float y) {
    const float level = octagonLevel(x, y);
    if (level > outerLevel)
        return std::nullopt;
    const Colour body = bodyColours[static_cast<std::size_t>(col)];
    if (level > rimLevel)
        return scale(body, 0.35f);
    if (level > tableLevel) {
        const Colour facet = shade(body, facetLight(x, y));
        // A glint along the top-left facet, where the light strikes it squarely.
        const float along = (x - y) * 0.7071f;
        const float across = (x + y) * 0.7071f + 11.5f;
        const float glint = 1.0f - (along * along / 20.0f + across * across / 1.6f);
        return glint > 0 ? mix(facet, white, std::min(1.0f, 2.0f * glint)) : facet;
    }
    // The table's edge catches the light on the lit side and falls into shadow on the other.
    if (level > tableLevel - 0.75f) {
        return shade(body, 0.9f * facetLight(x, y));
    }
    const float distance = marks[static_cast<std::size_t>(col)](x, y);
    if (distance <= 0)
        return white;
    if (distance <= 1.1f)
        return scale(body, 0.22f);
    // The table darkens toward the bottom right, as if the light passed through the stone.
    return shade(body, 0.25f * (-x - y) / tableLevel);
}

} // namespace

void paintGemlet(Canvas& canvas, int left, int top, int col, int size) {
    constexpr int samplesPerSide = 4;
    const float centre = size / 2.0f;
    // The gem is drawn in the coordinates of a game cell whatever its size.
    const float toCell = static_cast<float>(gemletW) / static_cast<float>(size);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Colour sum{};
            int covered = 0;
            for (int sy = 0; sy < samplesPerSide; ++sy) {
                for (int sx = 0; sx < samplesPerSide; ++sx) {
                    const float x = (px + (sx + 0.5f) / samplesPerSide - centre) * toCell;
                    const float y = (py + (sy + 0.5f) / samplesPerSide - centre) * toCell;
                    if (const auto c = sample(col, x, y)) {
                        sum = {sum.r + c->r, sum.g + c->g, sum.b + c->b};
                        ++covered;
                    }
                }
            }
            if (covered > 0)
                canvas.blend(left + px, top + py, scale(sum, 1.0f / covered),
                             static_cast<float>(covered) / (samplesPerSide * samplesPerSide));
        }
    }
}

} // namespace gemlets::assets
