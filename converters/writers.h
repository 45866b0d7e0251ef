// The four writers and the XYZ build's input analysis. Each reads state.InputPath through the
// record parsers, writes state.OutputPath and reports through the host: 1 when done, 0 when
// the file was refused (a signature that is not V-LOX's, user-defined gates or too many
// readings for LZ5; nothing is written then), -1 when a file could not be opened, created or
// written (after a message). Each starts from a fresh parsed-record state.
#pragma once

#include "converters/conversion.h"
#include "converters/converter_state.h"
#include "converters/gga_pairing.h"

#include <cstdint>

namespace converters {

// The longest line each text format writes, CR LF not counted; LZ5's lines are exactly 48 and
// 204 characters.
constexpr int32_t TxtMaxLineLength = 13 + MaxSentenceLength; // "GPS Message: " and a sentence
constexpr int32_t Lz5ShortLineLength = 48;
constexpr int32_t Lz5DataLineLength = 204;
constexpr int32_t UsfMaxLineLength = 128;
constexpr int32_t XyzMaxLineLength = 2048;

// `WriteTxtFile`: a counting pass (lines, stations, the readings it writes) and the file
// summary, then per included reading its parameter block, with the GGA sentence of its XYZ
// position, and the table of gate, time (us) and response.
int32_t WriteTxtFile(ConverterState& state, ConverterHost& host);

// `AnalyseVlxFile`: the signature check, the data types present (state.DataTypePresent) and
// the count of stored GGA sentences (state.GgaRecordCount). 1 when the pass completed, 0 on a
// rejected signature, -1 when the input could not be opened.
int32_t AnalyseVlxFile(ConverterState& state, ConverterHost& host);

// `WriteXyzFile`: one row per included reading of the selected data type, in the layout,
// delimiter and columns of the settings, positioned by line and station or by GPS.
int32_t WriteXyzFile(ConverterState& state, ConverterHost& host);

// `WriteLz5File`: the LZ5 banner, header and survey lines, then a reading line and a data line
// per reading (two pairs for a 30-gate reading), excluded readings included.
int32_t WriteLz5File(ConverterState& state, ConverterHost& host);

// `WriteUsfFile`: one sounding per station with included readings, one sweep per included
// reading with its keyword block and its INDEX, TIME, VOLTAGE table.
int32_t WriteUsfFile(ConverterState& state, ConverterHost& host);

// The writer of the state's mode.
int32_t RunConverterWriter(ConverterState& state, ConverterHost& host);

} // namespace converters
