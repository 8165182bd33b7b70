// SPDX-License-Identifier: GPL-2.0-or-later
// Positions of the effect's parameters in the host's parameter array.
#pragma once

enum FlameParam : int {
  kParamInput = 0,
  kParamVelocity = 1,
  kParamHeight = 2,
  kParamSoot = 3,
  kParamWidth = 4,
  kParamAmplitude = 5,
  kParamAlpha = 6,
  kParamColor1 = 7,
  kParamColor2 = 8,
  kParamColor3 = 9,
  kParamColor4 = 10,
  kParamColor2Position = 11,
  kParamColor3Position = 12,
  kParamCustomColor = 13,
  kParamBirth = 14,
  kParamDrop = 15,
  kParamInvertSource = 16,
  kParamFireDirection = 17,
  kParamPhase = 18,
  kParamCount = 19,
};
