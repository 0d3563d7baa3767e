#pragma once

// Registers, once per process, how a screen reader sees the main window: a frame named by its
// title, holding the grid buttons in button order (the order in which they are made).
void InstallAccessibleFrame();
