// Geometry of the progress meter: fill width and tick positions.
#pragma once

// Width of the done part of a meter `width` pixels wide. A position above
// the total counts as the total, one below zero as zero; a total of zero or
// less gives no fill.
int MeterFillWidth(int width, int position, int total);

// Number of tick marks: one every tenth of the total, both ends included
// (11 for a total of 100); none for a total of zero or less.
int MeterTickCount(int total);

// Left edge of tick `index` on a meter at `left`, `width` pixels wide.
int MeterTickX(int left, int width, int index, int total);

// Ticks at multiples of five tenths are long (8 pixels), the others short (5).
inline bool MeterTickIsLong(int index) { return index % 5 == 0; }
