// What assistive technology (a screen reader, over AT-SPI) sees of a skinned
// picture button: a push button named by its tool tip, or by its picture's
// caption where it has none, whose press action runs its command once; the
// direction buttons are checkable and say which one is checked.
#pragma once

// Makes Qt's accessibility layer describe every CHoverStatic as above; the
// first button constructed installs it.
void InstallHoverStaticAccessibility();
