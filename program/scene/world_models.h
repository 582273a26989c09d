// The world around the LM: the mission's landscape tiles, the sun with its flares and the sky box,
// the star field from the bright-star catalogue and the Earth, the whole Moon or the Orbital
// mission's Moon, and the scenery (flag, crater debris, race gates, Surveyor, rocks, dust, score).
#pragma once

// The three tiles from the mission folder, placed and scaled as the scenario says.
void CreateLand();
void CreateSunAndFlares();
// Reads "\bsb.dat" and builds the star field and the Earth. A failing step is logged (the first
// of the run also shown in a box) and the build goes on with what does not need it.
void Init_Stars_and_Planets();
// Draws the kept stars above the horizon, every frame.
void DrawStars();
// The whole Moon showing the landing site's group; a failing step is logged and skipped.
void Init_AllMoon();
void CreateOrbitalMoon();
// The Moon slice takes the background picture by its current id: an Orbital flight after another
// mission loads the picture again under a new id.
void TextureMoonSlice();
void CreateFlag();
void CreateCraterDebris();
void CreateStartFinishGates();
void CreateSurveyor();
// The rock pool of RockCount rocks and their shadow casters.
void CreateRocks();
void CreateDustSurface();
void CreateScoreMesh();
