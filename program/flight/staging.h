// The engine starts and the stage separation: what the DSKY's programs, the staging key and the
// abort call to light an engine or leave the descent stage behind.
#pragma once

void StartAscentEngine();
void StartDescentEngine();
void StageAndAscend();
