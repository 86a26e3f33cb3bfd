#pragma once

// How the velocity fit reads a reference spectrum before fitting it: where the sweep may turn,
// where the folded spectrum dips, which of the table's lines the dips stand for, and which
// channels look like strays. Window-free; used by the velocity fit only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace trv::velocity {

// Channels that look like strays are left out only while they are this few: more of them say
// that the lines do not describe the spectrum.
inline constexpr std::size_t kMaxStrayChannels = 3;
// How far (mm/s) zero velocity may lie from the middle of the half sweep.
inline constexpr double kMaxZeroOffset = 0.6;
// Dips further than this from the table's pattern (rms over the smallest spacing) do not
// follow it.
inline constexpr double kMaxMisfit = 0.15;

// Channel k taken round a spectrum of n channels.
std::size_t WrapChannel(std::int64_t k, std::int64_t n);

// Candidate folding positions c, best first. The doubled position s = 2c pairs channel k with
// s - 1 - k round the spectrum; s and s + N pair alike (the sweep turns twice, half a sweep
// apart), so s runs over N/2 .. 3N/2 and c stays within N/4 of the middle. The score is the
// mean squared difference of the pairs over the spectrum's mean variance, each pair's share
// held to 25, so that one stray channel cannot make the position that pairs it with itself
// look best. A pattern symmetric about zero velocity mirrors about the sweep's zero crossings
// too, a quarter sweep away: the best few local minima are returned, each refined by a
// parabola, and the dips and the fit tell them apart. leftOut marks channels to ignore.
std::vector<double> MirrorCandidates(std::span<const std::uint32_t> y,
                                     const std::vector<char>& leftOut, double varianceScale);

struct Dip {
    double channel;    // folded channel of the minimum
    double prominence; // depth below the lower of the two shoulders, in folded counts
    double level;      // the shoulders' level
};

// Dips of the spectrum folded round the spectrum about the whole or half channel nearest c:
// folded channel j runs over half a sweep up to c - 1/2. Local minima of the running mean over
// three channels, taken after a median over three so that one stray channel makes no dip,
// whose prominence stands clear of the counting noise.
std::vector<Dip> FindDips(std::span<const std::uint32_t> y, double c, double varianceScale,
                          const std::vector<char>& leftOut);

// Channels that disagree both with their partner on the other half of the sweep (folded about
// c) and with their neighbours, by far more than lines or counting noise can: a channel
// counted only part of the time, say. Worst first; none when there are more than a few, which
// is no stray channel but a fold that does not fit.
std::vector<std::size_t> SuspectChannels(std::span<const std::uint32_t> y, double c,
                                         double varianceScale, const std::vector<char>& leftOut);

// Dips matched to table lines about a folding position, with the start values they give.
struct SweepReading {
    double c = 0.0;
    std::vector<std::pair<std::size_t, Dip>> matches; // table index and its dip
    double zero = 0.0;
    double signedCal = 0.0;
    double misfit = 0.0; // rms distance of the dips from channel = Z + p/C, over the smallest
                         // spacing of the dips matched
    std::vector<std::size_t> suspects; // channels that look like strays about c
};

// Whether zero velocity lies where a drive that oscillates puts it: in the middle of the half
// sweep (at `middle`), as far from one turning point as from the other. The table's own zero
// may differ from the drive's rest by an isomer shift, a few tenths of a mm/s.
bool ZeroNearMiddle(double zero, double middle, double cal, std::size_t n);

// The table's lines that the dips found about c follow best: all lines when there are dips
// enough (the most prominent ones); otherwise the most prominent m dips, m from as many as
// there are down to three, matched in order to m lines of the sorted table (lines beyond the
// sweep show no dip, and a weak line may hide in the noise: the fit looks for it). Zero
// velocity must come out near the middle of the half sweep, and the dips within kMaxMisfit of
// the pattern. Both directions of the sweep are tried; the smallest misfit wins.
std::optional<SweepReading> MatchDips(std::vector<Dip> dips, std::span<const double> table,
                                      double c, std::size_t n);

} // namespace trv::velocity
