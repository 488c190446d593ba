// The game reads its files relative to the executable's folder, whatever
// folder started it. The main function and the engine's constructor both set
// it (the first before the developer switches are read, the second for any
// other creator of the engine), through this one function.
#pragma once

// Makes the executable's folder the working folder, by its wide name, which reaches it whatever
// the system's code page can hold.
void KpUseExecutableFolder();
