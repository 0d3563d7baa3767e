#pragma once

class QApplication;

// The one QApplication of a test program, created on first use (widget tests need one before
// any widget exists).
QApplication& TestApplication();
