// Control ids of the display and instrument settings dialogs: SCALEPLOT, MAPSCALE, GPSPORT,
// GPSCOORDINATES, GPSSURVEYTYPE, and PROFILES / PROFILESEXTENDED (whose per-entry ids are a base plus the
// entry). Plain defines: read by the resource compiler and by the dialog procedures.
#pragma once

// SCALEPLOT ("Plot Scale Setup").
#define IDC_SCALE_TIME_MIN 1190
#define IDC_SCALE_TIME_MAX 1191
#define IDC_SCALE_LABELS_MS 1192
#define IDC_SCALE_LABELS_GATES 1193
#define IDC_SCALE_TIME_MINOR_GRID 1195
#define IDC_SCALE_AMPLITUDE_MIN 1196
#define IDC_SCALE_AMPLITUDE_MAX 1197
#define IDC_SCALE_UNIT_FIRST 1198  // "nV/m2"; 1198 + unit up to 1203 "Ohm-m"
#define IDC_SCALE_UNIT_LAST 1203
#define IDC_SCALE_AMPLITUDE_MINOR_GRID 1205
#define IDC_SCALE_AMPLITUDE_MIN_UNIT 1208
#define IDC_SCALE_AMPLITUDE_MAX_UNIT 1209
#define IDC_SCALE_LINEAR_MIN 1290
#define IDC_SCALE_LINEAR_MAX 1291
#define IDC_SCALE_LINEAR_MIN_UNIT 1292
#define IDC_SCALE_LINEAR_MAX_UNIT 1293
#define IDC_SCALE_TIME_AUTO 1350
#define IDC_SCALE_AMPLITUDE_AUTO 1351
#define IDC_SCALE_STATIONS 12606

// MAPSCALE ("Map Options").
#define IDC_MAP_ZOOM_STEP 12258
#define IDC_MAP_PAN_STEP 12259
#define IDC_MAP_REFERENCE_POINT 12260
#define IDC_MAP_SIZE 12276
#define IDC_MAP_GRID_INTERVAL 12277
#define IDC_MAP_BACKGROUND_FIRST 12278  // "Survey Survey Lines"; + background up to 12280 "None"
#define IDC_MAP_BACKGROUND_LAST 12280

// GPSPORT ("GPS Port Setup") and GPSCOORDINATES ("GPS Coordinates").
#define IDC_GPS_INPUT 1182
#define IDC_GPS_PORT 1183
#define IDC_GPS_BAUD 1184
#define IDC_GPS_PARITY 1185
#define IDC_GPS_DATA_BITS 1186
#define IDC_GPS_STOP_BITS 1187
#define IDC_GPS_DISPLAY 12603
#define IDC_GPS_NMEA 12604
#define IDC_GPS_COORDINATES_DISPLAY 12605

// GPSSURVEYTYPE ("GPS Map Type"): the three map layouts and the transmitter corner group.
#define IDC_GPSMAP_GRID 12640           // the choices in line 490's order: grid,
#define IDC_GPSMAP_FIRST_STATION 12641  // GPS with the loop symbol at the first station,
#define IDC_GPSMAP_CORNERS 12642        // GPS with the loop corners as entered
#define IDC_GPSMAP_NOTE 12643
#define IDC_GPSMAP_CORNER_TYPE 12644
#define IDC_GPSMAP_ZONE 12645
#define IDC_GPSMAP_HEMISPHERE 12646
#define IDC_GPSMAP_CORNER_FIELD1 12650  // + i: X1, Y1, X2, Y2, X3, Y3, X4, Y4 (12650-12657)

// PROFILES and PROFILESEXTENDED ("Profile Plot Attributes"): entry i is gate i + 1 for
// i < 100, then the monitoring, intermediate and final decay curves (100, 101, 102).
#define IDC_PROFILE_GATE_BASE 12281     // + i (i < 100): check box "plot as a profile"
#define IDC_PROFILE_SAMPLE_BASE 12390   // + i: owner-drawn colour and width sample
#define IDC_PROFILE_WIDTH_BASE 12500    // + i: width drop list
#define IDC_PROFILE_NUMBERS_BASE 12759  // + i (i < 100, extended only): numbers window row
