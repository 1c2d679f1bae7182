#pragma once
// The press sheet written out as plainly as its rule reads: every card is a
// single card with its bleed, made by the plain renderings (at the printer's
// resolution with a lens boundary where the sheet's grid, anchored at the
// sheet's centre, puts one); cards centred, whole lenses from card to card;
// paper white; crop marks, alignment bars and the slug line on the paper.
// Slow on purpose. Copies must be given as rows x columns, and only runs the
// engine accepts.

#include "job/job_state.h"
#include "params/print_settings.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace tovrel::test {

// Ink of the slug line at sheet pixel (x, y): the text is set by the font,
// not by the sheet's rule.
using SlugInk = std::function<uint8_t(int64_t x, int64_t y)>;

// The sheet's rows, the top row first, red, green, blue per pixel. Card
// files are made in dir.
std::vector<std::vector<uint8_t>> oracleSheet(const JobState& job, const RunSettings& settings,
                                              const std::filesystem::path& dir,
                                              const SlugInk& slug);

} // namespace tovrel::test
