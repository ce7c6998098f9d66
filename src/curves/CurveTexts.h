#pragma once
// Text numbers and feature codes of the reference curve windows.

namespace curves {

constexpr int kFeatureEdit = 6;      // may change reference curves
constexpr int kFeatureUnlock = 101;  // may change and unlock locked curves

namespace texts {
constexpr int kHintClose = 0;  // hints
constexpr int kHintCopy = 21;
constexpr int kHintPrint = 22;
constexpr int kHintReload = 39;
constexpr int kOK = 50;  // profile texts
constexpr int kCancel = 51;
constexpr int kClose = 52;
constexpr int kApply = 53;
constexpr int kEdit = 55;
constexpr int kAdd = 56;
constexpr int kRemove = 58;
constexpr int kWindSpeedAxis = 123;
constexpr int kProductionAxis = 124;
constexpr int kPowerCurve = 127;
constexpr int kDistributionCurve = 128;
constexpr int kPrintTitle = 129;
constexpr int kWindSpeedColumn = 131;
constexpr int kProductionColumn = 132;
constexpr int kDistributionColumn = 133;
constexpr int kSaveQuestion = 140;
constexpr int kTitleTaken = 141;
constexpr int kAirDensityNotNumber = 142;
constexpr int kDeleteQuestion = 143;
constexpr int kCurveInUse = 144;
constexpr int kDeleteFailed = 145;
constexpr int kCurveLocked = 148;
constexpr int kEditorCaption = 9170;
constexpr int kAddNew = 9171;
constexpr int kEditCurve = 9172;
constexpr int kDeleteCurve = 9173;
constexpr int kInterpolate = 9174;
constexpr int kGenerateWeibull = 9175;
constexpr int kStatusLocked = 9176;
constexpr int kStatusOpen = 9177;
constexpr int kStatus = 9178;
constexpr int kGridStep = 9179;
constexpr int kCurveList = 9180;
constexpr int kDescription = 9181;
constexpr int kAirDensity = 9182;
constexpr int kCutIn = 9183;
constexpr int kCutOut = 9184;
constexpr int kCurveType = 9185;
constexpr int kCurveProperties = 9186;
constexpr int kTitle = 9187;
constexpr int kLockCurve = 9188;
constexpr int kAirDensityInvalid = 9189;
constexpr int kTitleMissing = 9190;
constexpr int kLockQuestion = 9191;
constexpr int kSpeedInvalid = 9192;
constexpr int kApplyFailed = 9193;
constexpr int kAddFailed = 9194;
constexpr int kPoints = 9195;
// Free wind parameters.
constexpr int kFreeWindCaption = 240;
constexpr int kFreeWindLabel = 241;
constexpr int kRemoveQuestion = 250;
constexpr int kRemoveRelations = 251;  // %1: the number of unit configurations
constexpr int kDeletingStatus = 254;
constexpr int kFreeWindFirstLabel = 260;  // 260 to 273: the fourteen number boxes
constexpr int kFreeWindStop = 274;
constexpr int kFreeWindDialog = 280;
constexpr int kFreeWindGroup = 281;
constexpr int kFreeWindTitle = 282;
constexpr int kParameterCZero = 9196;
constexpr int kFreeWindTitleMissing = 9197;
constexpr int kErrorCaption = 9198;
constexpr int kBoxNotANumber = 9199;  // %1: the box's label
constexpr int kFreeWindSaveFailed = 9200;
constexpr int kFreeWindDeleteFailed = 9201;
constexpr int kFreeWindColumns = 9210;  // 9210 to 9224: the grid's fifteen column titles
}  // namespace texts

}  // namespace curves
