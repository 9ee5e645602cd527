#pragma once
// The game's UX screens, registered with the UX manager in one fixed order. The game and every
// program that loads UX data (the data writer and the tests included) call it before the first
// load: the loaded instance objects must match the registered screens one for one.
void RegisterGameScreens();
