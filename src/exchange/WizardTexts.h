#pragma once
// The numbered texts of the export and import wizard, shared by its files.

namespace exchange::wizard_texts {

inline constexpr int kTextExportCaption = 320;
inline constexpr int kTextImportCaption = 321;
inline constexpr int kTextFirstHint = 330;  // one per page, in page order
inline constexpr int kTextUserDetails = 342;
inline constexpr int kTextFeatureAccess = 343;
inline constexpr int kTextRoleMemberships = 344;
inline constexpr int kTextTemplateAccess = 345;
inline constexpr int kTextPersonalUser = 350;
inline constexpr int kTextPersonalRole = 351;
inline constexpr int kTextFeatures = 352;
inline constexpr int kTextTemplates = 353;
inline constexpr int kTextMemberships = 354;
inline constexpr int kTextType = 370;
inline constexpr int kTextUserQuestion = 390;
inline constexpr int kTextRoleQuestion = 391;
inline constexpr int kTextImporting = 445;
inline constexpr int kTextImported = 446;
inline constexpr int kTextImportFailed = 447;
inline constexpr int kTextCancel = 9002;
inline constexpr int kTextInitials = 9003;
inline constexpr int kTextFirstName = 9006;
inline constexpr int kTextLastName = 9007;
inline constexpr int kTextOrganisation = 9008;
inline constexpr int kTextUserRoles = 9012;
inline constexpr int kTextTitle = 9013;
inline constexpr int kTextDescription = 9014;
inline constexpr int kTextAccessLevel = 9016;
inline constexpr int kTextUsers = 9022;
inline constexpr int kTextWriteFailed = 9079;
inline constexpr int kTextFirstPage = 9090;  // one per page, in page order
inline constexpr int kTextBack = 9099;
inline constexpr int kTextUsersPackage = 9100;
inline constexpr int kTextRolesPackage = 9101;
inline constexpr int kTextSelect = 9102;
inline constexpr int kTextDeselect = 9103;
inline constexpr int kTextYes = 9104;
inline constexpr int kTextNo = 9105;
inline constexpr int kTextReadFailed = 9106;
inline constexpr int kTextReadFailedCaption = 9107;
inline constexpr int kTextSelected = 9108;
inline constexpr int kTextQuestion = 9109;
inline constexpr int kTextProcess = 9110;
inline constexpr int kTextMessage = 9111;
inline constexpr int kTextStatus = 9112;
inline constexpr int kTextError = 9113;
inline constexpr int kTextSucceeded = 9114;
inline constexpr int kTextExportFile = 9115;
inline constexpr int kTextPackageType = 9116;
inline constexpr int kTextContents = 9117;
inline constexpr int kTextDatabaseVersion = 9118;
inline constexpr int kTextUnreadable = 9119;

inline constexpr char kSelected[] = "Selected";
inline constexpr char kYes[] = "Yes";
inline constexpr char kNo[] = "No";

}  // namespace exchange::wizard_texts
