// The actions of the window and of batch mode on the simulated board, at a
// 1 ms system tick and at the 15.625 ms tick of most NT machines.
#pragma once

// Prints, per action and tick, its virtual time, sleeps and port operations,
// then the ratio of the two ticks' times.
void tickFigures();
