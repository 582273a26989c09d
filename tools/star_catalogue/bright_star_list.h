// The bright-star list that the star catalogue is made from: the Yale Bright Star Catalogue, 5th
// revised edition, as Debian's xplanet package ships it (/usr/share/xplanet/stars/BSC). A line
// that starts with '#', and an empty one, is a comment; every other line is one star:
//
//   -16.7161  6.7525 -1.46 "  9Alp CMa" 2491  48915 151881
//   Dec (degrees), RA (hours), V magnitude, the name, HR, HD, SAO
//
// The name is ten characters: the Flamsteed number and the Bayer letter with its index (seven),
// then the constellation (three); either part may be blank.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "program/scene/star_catalogue.h"

// The stars of the list in its order, as catalogue records (Number = HR). False, with error
// naming the line, when a line is not a star.
bool ReadBrightStarList(std::istream& list, std::vector<BrightStar>& stars, std::string& error);
