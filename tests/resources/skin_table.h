// The bitmaps the editor loads, as the tests expect to find them.
#pragma once

#include <array>

namespace tavolu::resources::test {

struct Expected {
    int id, width, height, frames;
};

constexpr std::array<Expected, 39> kSkin{{
    {128, 465, 360, 1},  // window background
    {129, 35, 70, 2},   {130, 35, 70, 2},  {131, 35, 70, 2},  {132, 35, 70, 2},  {133, 35, 70, 2},
    {134, 35, 70, 2},   {135, 35, 70, 2},  {136, 35, 70, 2},  {138, 50, 30, 2},  // Start=End
    {139, 40, 135, 3},                                                           // LFO Sync
    {140, 85, 45, 3},                       // Start Mode and End Mode
    {141, 40, 540, 6},                      // Trig Source
    {142, 40, 375, 5},                      // LFO Freq Source
    {143, 40, 30, 2},   {144, 40, 30, 2},   // LFO Sync Flip, Stereo
    {146, 45, 19, 1},                       // tempo display
    {149, 11, 11, 1},                       // Attack handle
    {150, 121, 21, 1},  {151, 121, 21, 1},  // End and Start tracks
    {152, 21, 121, 1},  {153, 21, 121, 1}, {154, 21, 121, 1}, {155, 21, 121, 1}, {156, 21, 121, 1},
    {157, 21, 121, 1},  {158, 21, 121, 1}, {159, 11, 36, 1},  // Attack track
    {160, 21, 121, 1},  {161, 21, 121, 1}, {162, 8, 101, 1},  {163, 8, 101, 1},  {164, 8, 101, 1},
    {165, 8, 101, 1},   {166, 21, 21, 1},  {167, 21, 21, 1},  {168, 21, 21, 1},  {169, 21, 21, 1},
    {170, 21, 21, 1},
}};

}  // namespace tavolu::resources::test
