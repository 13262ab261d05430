// What the fuzz targets do with one input, shared with the regression test that replays the saved
// inputs. Each aborts when the programs misbehave; the sanitizers catch the rest.
#pragma once

#include <cstddef>
#include <cstdint>

// Opens the input as a container and reads every image in it: selections, runs of sectors of
// size codes 0 to 3, single sectors and identification lists, at addresses and lengths taken from
// the input, each into a buffer of exactly the length asked for.
void FuzzReader(const std::uint8_t* data, std::size_t size);

// Loads every image of the input container and extracts its files into a fresh folder; aborts if
// anything appears outside that folder or if a file is larger than any chain can make it.
void FuzzExtract(const std::uint8_t* data, std::size_t size);
