// Map files: 2,048 whitespace-separated decimal integers, the ground layer row by row, then
// the occupancy layer in the same order.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int kMapFileNumbers = 2 * 32 * 32;

// Reads the file into both layers, cell by cell in file order. Reading stops at the first
// number that cannot be read (end of file, a character that starts no number, a value beyond
// int32): that cell and all later ones keep what they held. A missing file changes nothing.
// Nothing is reported.
void LoadMap(const char* fileName);
// The same from a stream open for reading, which stays open; the fuzz target reads from
// memory through it.
void LoadMapFrom(std::FILE* file);

// The object a cell value names: i for a marker -i that lies inside `objects` (0 for an empty
// cell, whose record is never spawned), -1 for tiles and for markers outside the table.
int32_t MarkedObject(int32_t cellValue);
