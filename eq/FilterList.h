// Filter lists as room-measurement programs and system-wide PC equalisers write them, one
// filter a line ("Filter 1: ON PK Fc 63.0 Hz Gain -5.0 dB Q 4.00"): reading a list into
// the bands of an EQ block of a mode image, with a report of how close the stored table
// steps come to what the list asked for, and writing a block back as such a list.
// No state of its own: any thread, with the image lock held when the image is the
// working image.
#pragma once

#include "eq/Filter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zolt {

// One filter of a list, as written: a band (peaking or shelf) or a crossover section
// (high-pass or low-pass).
struct SListFilter {
    int m_nLine = 0;               // 1-based line in the text
    bool m_bOn = true;             // false: written "OFF"; imported as a bypassed band
    int m_nType = ftype::kPeaking; // ftype::kPeaking, kLowShelf, kHighShelf, kHighPass, kLowPass
    double m_dFreq = 0.0;          // Hz, above 0 and below kSampleRate / 2
    double m_dGain = 0.0;          // dB, any finite value (the mapping clamps); 0 for crossovers
    double m_dQ = 0.0;             // above 0; for a shelf given with a slope, that slope's Q; for a
                       // crossover of order 2 the Q asked for (0.7071 when none), else 0
    double m_dSlope = 0.0; // dB per octave when a shelf was given with a slope (or none:
                           // the standard 12), else 0
    int m_nOrder = 0;      // crossovers: 1..8, 6 dB per octave each; bands: 0
};

struct SFilterList {
    std::vector<SListFilter> m_aFilters;    // bands, in text order; empty slots left out
    std::vector<SListFilter> m_aCrossovers; // high-pass and low-pass lines, in text order
    int m_nPreampLines = 0;
    double m_dPreampDb = 0.0; // the sum of the "Preamp:" lines
};

// Reads a list. Passed over: blank lines, comment lines (starting with #, ; or //), the
// header a measurement program writes above its filters (from a first line "Filter
// Settings file" up to the first filter), and empty filter slots ("Filter 9: OFF None").
// Keywords are matched without regard to case; units may be attached ("63Hz") or left out;
// a number may have a comma for its decimal point ("-5,0"). Filter types: PK and PEQ
// (peaking, with Gain and Q); LS / LSC and HS / HSC (shelves, with Gain and either Q or a
// slope in dB per octave written after the type: "LSC 12 dB Fc ..."; LS and HS without
// either are the fixed shelves of the standard 12 dB slope); HP / HPQ and LP / LPQ
// (high-pass and low-pass: Fc, and either a Q (order 2, Butterworth Q 0.7071 when none) or
// a slope of 6 .. 48 dB per octave after the type, in steps of 6; no gain but 0). Any
// other line, a malformed value or a missing one is an error: false, with "line N: why" in
// error.
bool ParseFilterList(std::string_view text, SFilterList& list, std::string& error);

// Q of a shelf of gain dB whose slope is given in dB per octave: 12 dB per octave is the
// steepest slope that stays free of overshoot (Q 0.71 at any gain), a smaller slope
// scales it down. 0 when the slope is not above 0 or is too steep for a shelf of that gain.
double ShelfQOfSlope(double dSlopeDb, double dGainDb);

// The gains in dB the page of EQ block 0..17 edits: the field table's kind of its bands'
// gain bytes (the strips' -24..+12 dB, the dynamic-EQ columns' -12..+12 dB).
struct SGainRange {
    double m_dMin = -kGainFloorDb;
    double m_dMax = kGainFloorDb;
};
SGainRange BandGainRange(int nBlock);

// The band record values a filter maps to in EQ block 0..17: the nearest frequency index
// and Q index (halfway takes the higher index), each clamped to its table first, and the
// nearest 0.2 dB gain step within the gains the block's page edits (the strips' -24..+12
// dB, the dynamic-EQ columns' -12..+12 dB), so that every control shows what is stored.
struct SMappedBand {
    int m_nType = ftype::kBypass;  // record type byte: 0 for an OFF filter, else 1..3
    int m_nFreqIndex = 0;          // 0..361
    int m_nGainRaw = kGainRawZero; // within the page's gains (0..180 or 60..180)
    int m_nQIndex = 0;             // 0..100
    bool m_bFreqClamped = false;   // asked frequency outside 19.7..20600 Hz
    bool m_bGainClamped = false;   // asked gain outside the page's gains
    bool m_bQClamped = false;      // asked Q outside 0.4..128
};
SMappedBand MapFilter(const SListFilter& filter, int nBlock);
// Writes a mapped band into the first five bytes of an EQ band record.
void WriteBand(const SMappedBand& band, std::uint8_t* pRecord);

// The largest difference in dB between two responses over the 420 grid points.
struct SCloseness {
    double m_dDb = 0.0; // |a - b| at m_nPoint
    int m_nPoint = 0;   // grid point 0..419 (the lowest one on a tie)
    double Hz() const;
};
SCloseness LargestDifference(const CResponseDb& a, const CResponseDb& b);

struct SImportResult {
    int m_nBlockBands = 0;              // bands of the block
    std::vector<SMappedBand> m_aBands;  // what went into bands 1.., in order
    int m_nOffLeftOut = 0;              // OFF filters left out for want of bands
    SCloseness m_total;                 // the sum of the list against the sum of the bands
    std::vector<SCloseness> m_aPerBand; // each imported filter against its band
    std::string m_strReport;            // for the user: one finding a line
};

// Reads the list into EQ block 0..17 of pImage (a 2712-byte mode image; blocks 8..15 are
// the records of its live output set). Filters go to bands 1, 2, ... in list order; OFF
// filters take their place as bypassed bands, or are all left out when the list has more
// filters than the block has bands but its ON filters fit; the bands after the list are
// bypassed (type byte 0, their other bytes kept), so the block plays the list and nothing
// else. High-pass and low-pass lines set the block's crossover of their kind (a list
// without such a line leaves it as it is): the ON lines of a kind, at one frequency, add up
// to the sections of one crossover, which takes the processor's slope of the same
// sections, or the nearest one (said in the report); OFF lines alone set it to "ByPass".
// Everything is checked before the first byte is written: on an error (a bad line, no
// filter at all, more ON filters than bands, lines of one crossover at two frequencies, a
// crossover line for a block without crossovers, a block number out of range) it returns
// false with the reason in error and the image is untouched. The caller re-binds the
// block's curve set afterwards when pImage is the working image.
bool ImportFilterList(std::string_view text, int nBlock, std::uint8_t* pImage,
                      SImportResult& result, std::string& error);
// The same from a list already read.
bool ImportFilters(const SFilterList& list, int nBlock, std::uint8_t* pImage, SImportResult& result,
                   std::string& error);

// The bands of EQ block 0..17 of pImage as a list, one line a band: peaking, low-shelf and
// high-shelf bands as "Filter N: ON PK|LS|HS Fc .. Hz Gain .. dB Q ..", bypassed bands
// (and type bytes above 3) as OFF lines with their stored values, so that importing the
// text into the block gives the same band bytes while they are within what the page
// edits. A byte outside its table's steps is written as the nearest step. Empty for a
// number out of range.
std::string ExportFilterList(int nBlock, const std::uint8_t* pImage);
// The path a filter list is written to: the chosen one, with ".txt" appended when its
// file name has no extension.
std::string FilterListFilePath(const std::string& chosen);

// What ExportFilterList writes in place of the bytes outside the steps, one line a value
// ("band 3: gain byte 250 is outside 0..240: written as +24.0 dB"); none when every byte
// is a step.
std::vector<std::string> ExportClampNotes(int nBlock, const std::uint8_t* pImage);

} // namespace zolt
