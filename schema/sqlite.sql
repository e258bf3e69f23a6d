-- Corvel suite database for the embedded engine (SQLite).
-- Text compares without regard to letter case, as under SQL Server's default collation, so the
-- launcher's statements behave the same on both engines.

CREATE TABLE Users (
    UserName nvarchar(50) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Password nvarchar(50) COLLATE NOCASE,
    Style nvarchar(25) COLLATE NOCASE,
    User_FullName nvarchar(50) COLLATE NOCASE,
    User_Department nvarchar(50) COLLATE NOCASE,
    isActive bit,
    Created_Date datetime,
    Created_By nvarchar(50) COLLATE NOCASE
);

-- A grant may be repeated: the role assignment window inserts without looking first.
CREATE TABLE UsersRoles (
    Rec_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    UserName nvarchar(50) COLLATE NOCASE,
    RoleName nvarchar(50) COLLATE NOCASE
);

CREATE INDEX IX_UsersRoles_UserName ON UsersRoles (UserName);

CREATE TABLE Roles (
    Module nvarchar(50) COLLATE NOCASE,
    Screen nvarchar(50) COLLATE NOCASE,
    RoleName nvarchar(50) COLLATE NOCASE NOT NULL UNIQUE,
    RoleDesc nvarchar(50) COLLATE NOCASE,
    RoleUsedBy nvarchar(50) COLLATE NOCASE
);

-- The role tree reads one module's screens and one screen's roles at a time.
CREATE INDEX IX_Roles_Module_Screen ON Roles (Module, Screen);

CREATE TABLE AppsVersions (
    App_ID nvarchar(50) COLLATE NOCASE NOT NULL UNIQUE,
    App_Version nvarchar(50) COLLATE NOCASE
);

-- One row, Rec_ID 1, which the launcher updates and the modules print from.
CREATE TABLE ReportingAssets (
    Rec_ID INTEGER NOT NULL PRIMARY KEY,
    Company_Name_en nvarchar(50) COLLATE NOCASE,
    Company_Name_ar nvarchar(50) COLLATE NOCASE,
    Company_Logo_Square blob,
    Company_Logo_Rectangle blob
);

INSERT INTO ReportingAssets (Rec_ID) VALUES (1);
