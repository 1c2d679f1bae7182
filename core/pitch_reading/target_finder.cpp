#include "pitch_reading/target_finder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace tovrel {

namespace {

struct Region {
    int64_t area = 0;
    double sumX = 0;
    double sumY = 0;
    int32_t minX = INT32_MAX;
    int32_t minY = INT32_MAX;
    int32_t maxX = -1;
    int32_t maxY = -1;

    double cx() const { return sumX / double(area) + 0.5; }
    double cy() const { return sumY / double(area) + 0.5; }
    int32_t w() const { return maxX - minX + 1; }
    int32_t h() const { return maxY - minY + 1; }
};

struct Candidate {
    PlanePoint centre;
    double module = 0;
    bool hollow = false;
};

// Dark against the mean of a window a fiftieth of the picture's smaller
// side around it: uneven light moves both alike.
std::vector<uint8_t> darkMask(const GreyImage& img) {
    const int32_t w = img.width;
    const int32_t h = img.height;
    std::vector<double> sum(std::size_t(w + 1) * std::size_t(h + 1), 0.0);
    const auto at = [&](int32_t x, int32_t y) -> double& {
        return sum[std::size_t(y) * std::size_t(w + 1) + std::size_t(x)];
    };
    for (int32_t y = 0; y < h; ++y) {
        double line = 0;
        for (int32_t x = 0; x < w; ++x) {
            line += img.at(x, y);
            at(x + 1, y + 1) = at(x + 1, y) + line;
        }
    }
    const int32_t r = std::max(6, std::min(w, h) / 50);
    std::vector<uint8_t> mask(std::size_t(w) * std::size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const int32_t y0 = std::max(0, y - r);
        const int32_t y1 = std::min(h, y + r + 1);
        for (int32_t x = 0; x < w; ++x) {
            const int32_t x0 = std::max(0, x - r);
            const int32_t x1 = std::min(w, x + r + 1);
            const double mean =
                (at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0)) / double((x1 - x0) * (y1 - y0));
            mask[std::size_t(y) * std::size_t(w) + std::size_t(x)] = img.at(x, y) < 0.75 * mean;
        }
    }
    return mask;
}

int32_t findRoot(std::vector<int32_t>& parent, int32_t i) {
    while (parent[std::size_t(i)] != i) {
        parent[std::size_t(i)] = parent[std::size_t(parent[std::size_t(i)])];
        i = parent[std::size_t(i)];
    }
    return i;
}

// Labels the dark pixels' 8-connected regions: labels[i] is the region's
// index plus one, 0 for light pixels.
std::vector<Region> label(const std::vector<uint8_t>& mask, int32_t w, int32_t h,
                          std::vector<int32_t>& labels) {
    labels.assign(mask.size(), 0);
    std::vector<int32_t> parent{0};
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
            if (mask[i] == 0) {
                continue;
            }
            int32_t mine = 0;
            const auto join = [&](int32_t nx, int32_t ny) {
                if (nx < 0 || nx >= w || ny < 0) {
                    return;
                }
                const int32_t other = labels[std::size_t(ny) * std::size_t(w) + std::size_t(nx)];
                if (other == 0) {
                    return;
                }
                if (mine == 0) {
                    mine = other;
                    return;
                }
                const int32_t a = findRoot(parent, mine);
                const int32_t b = findRoot(parent, other);
                parent[std::size_t(std::max(a, b))] = std::min(a, b);
            };
            join(x - 1, y);
            join(x - 1, y - 1);
            join(x, y - 1);
            join(x + 1, y - 1);
            if (mine == 0) {
                mine = static_cast<int32_t>(parent.size());
                parent.push_back(mine);
            }
            labels[i] = mine;
        }
    }
    std::vector<int32_t> index(parent.size(), 0);
    std::vector<Region> regions;
    for (std::size_t k = 1; k < parent.size(); ++k) {
        const int32_t root = findRoot(parent, int32_t(k));
        if (index[std::size_t(root)] == 0) {
            regions.emplace_back();
            index[std::size_t(root)] = static_cast<int32_t>(regions.size());
        }
        index[k] = index[std::size_t(root)];
    }
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            int32_t& l = labels[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            if (l == 0) {
                continue;
            }
            l = index[std::size_t(l)];
            Region& r = regions[std::size_t(l - 1)];
            ++r.area;
            r.sumX += x;
            r.sumY += y;
            r.minX = std::min(r.minX, x);
            r.maxX = std::max(r.maxX, x);
            r.minY = std::min(r.minY, y);
            r.maxY = std::max(r.maxY, y);
        }
    }
    return regions;
}

// A ring: a square-ish region, about half of its box dark, its centroid in
// the box's middle; with a dark centre region of the right size inside, or
// light all around its centroid (the hollow target).
std::vector<Candidate> rings(const std::vector<Region>& regions, const std::vector<int32_t>& labels,
                             int32_t w) {
    std::vector<Candidate> found;
    for (std::size_t k = 0; k < regions.size(); ++k) {
        const Region& r = regions[k];
        const double side = 0.5 * (r.w() + r.h());
        const double fill = double(r.area) / (double(r.w()) * r.h());
        const double midX = 0.5 * (r.minX + r.maxX + 1);
        const double midY = 0.5 * (r.minY + r.maxY + 1);
        if (side < 7 || std::max(r.w(), r.h()) > 1.6 * std::min(r.w(), r.h()) || fill < 0.22 ||
            fill > 0.72 || std::hypot(r.cx() - midX, r.cy() - midY) > 0.12 * side) {
            continue;
        }
        const double module = std::sqrt(double(r.area) / 24);
        const auto cx = static_cast<int32_t>(r.cx());
        const auto cy = static_cast<int32_t>(r.cy());
        const int32_t inside = labels[std::size_t(cy) * std::size_t(w) + std::size_t(cx)];
        if (inside != 0 && std::size_t(inside - 1) != k) {
            const Region& c = regions[std::size_t(inside - 1)];
            const double share = double(c.area) / double(r.area);
            const double cside = 0.5 * (c.w() + c.h());
            if (share > 0.15 && share < 0.8 && cside > 0.25 * side && cside < 0.65 * side) {
                const double all = double(r.area + c.area);
                found.push_back({{(r.cx() * r.area + c.cx() * c.area) / all,
                                  (r.cy() * r.area + c.cy() * c.area) / all},
                                 module,
                                 false});
            }
            continue;
        }
        // Hollow: nothing dark within a module of the centre.
        const auto reach = static_cast<int32_t>(module);
        bool clear = true;
        const int32_t h = static_cast<int32_t>(labels.size() / std::size_t(w));
        for (int32_t y = std::max(0, cy - reach); y <= std::min(h - 1, cy + reach) && clear; ++y) {
            for (int32_t x = std::max(0, cx - reach); x <= std::min(w - 1, cx + reach) && clear;
                 ++x) {
                clear = labels[std::size_t(y) * std::size_t(w) + std::size_t(x)] == 0;
            }
        }
        if (clear) {
            found.push_back({{r.cx(), r.cy()}, module, true});
        }
    }
    return found;
}

double cross(PlanePoint o, PlanePoint a, PlanePoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double distance(PlanePoint a, PlanePoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// How badly four candidates fit the chart's targets, in the chart's order
// (the hollow one last, then clockwise on the picture); none when they
// cannot be the targets at all.
std::optional<double> misfit(std::array<Candidate, 4>& quad, const TargetFrame& frame) {
    PlanePoint mid;
    for (const Candidate& c : quad) {
        mid.x += c.centre.x / 4;
        mid.y += c.centre.y / 4;
    }
    std::sort(quad.begin(), quad.end(), [&](const Candidate& a, const Candidate& b) {
        return std::atan2(a.centre.y - mid.y, a.centre.x - mid.x) <
               std::atan2(b.centre.y - mid.y, b.centre.x - mid.x);
    });
    const auto hollow = std::find_if(quad.begin(), quad.end(), [](auto& c) { return c.hollow; });
    std::rotate(quad.begin(), hollow + 1, quad.end());
    for (int i = 0; i < 4; ++i) {
        if (cross(quad[std::size_t(i)].centre, quad[std::size_t((i + 1) % 4)].centre,
                  quad[std::size_t((i + 2) % 4)].centre) <= 0) {
            return std::nullopt;
        }
    }
    const double top = distance(quad[0].centre, quad[1].centre);
    const double bottom = distance(quad[3].centre, quad[2].centre);
    const double left = distance(quad[0].centre, quad[3].centre);
    const double right = distance(quad[1].centre, quad[2].centre);
    std::array<double, 4> modules{};
    for (std::size_t i = 0; i < 4; ++i) {
        modules[i] = quad[i].module;
    }
    std::sort(modules.begin(), modules.end());
    const double module = 0.5 * (modules[1] + modules[2]);
    const double keystone =
        std::max(std::abs(std::log(top / bottom)), std::abs(std::log(left / right)));
    const double aspect =
        std::abs(std::log((top + bottom) / (left + right) * frame.height / frame.width));
    const double sizes = std::log(modules[3] / modules[0]);
    const double scale =
        std::abs(std::log(0.5 * (top + bottom) / module * frame.module / frame.width));
    if (keystone > 0.4 || aspect > 0.25 || sizes > 0.7 || scale > 0.35) {
        return std::nullopt;
    }
    return keystone + aspect + sizes + scale;
}

} // namespace

std::optional<FoundTargets> findTargets(const GreyImage& photo, const TargetFrame& frame) {
    std::vector<int32_t> labels;
    const std::vector<Region> regions = label(darkMask(photo), photo.width, photo.height, labels);
    std::vector<Candidate> found = rings(regions, labels, photo.width);
    std::vector<Candidate> full;
    std::vector<Candidate> hollow;
    for (const Candidate& c : found) {
        (c.hollow ? hollow : full).push_back(c);
    }
    // The targets are the largest rings on the chart (the labels' zeros are
    // smaller); keep the search small.
    const auto larger = [](const Candidate& a, const Candidate& b) { return a.module > b.module; };
    std::sort(full.begin(), full.end(), larger);
    std::sort(hollow.begin(), hollow.end(), larger);
    full.resize(std::min<std::size_t>(full.size(), 40));
    hollow.resize(std::min<std::size_t>(hollow.size(), 10));
    std::optional<double> best;
    FoundTargets result;
    for (const Candidate& h : hollow) {
        for (std::size_t a = 0; a < full.size(); ++a) {
            for (std::size_t b = a + 1; b < full.size(); ++b) {
                for (std::size_t c = b + 1; c < full.size(); ++c) {
                    std::array<Candidate, 4> quad{full[a], full[b], full[c], h};
                    const std::optional<double> score = misfit(quad, frame);
                    if (score && (!best || *score < *best)) {
                        best = score;
                        for (std::size_t i = 0; i < 4; ++i) {
                            result.centres[i] = quad[i].centre;
                        }
                        std::array<double, 4> m{quad[0].module, quad[1].module, quad[2].module,
                                                quad[3].module};
                        std::sort(m.begin(), m.end());
                        result.module = 0.5 * (m[1] + m[2]);
                    }
                }
            }
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return result;
}

} // namespace tovrel
