-- Corvel suite database: the tables the launcher relies on (SQL Server).
-- Run once against an empty database, e.g. sqlcmd -S <server> -d <catalog> -i sqlserver.sql

CREATE TABLE [Users] (
    [UserName] nvarchar(50) NOT NULL CONSTRAINT [PK_Users] PRIMARY KEY,
    [Password] nvarchar(50) NULL,
    [Style] nvarchar(25) NULL,
    [User_FullName] nvarchar(50) NULL,
    [User_Department] nvarchar(50) NULL,
    [isActive] bit NULL,
    [Created_Date] datetime NULL,
    [Created_By] nvarchar(50) NULL
);

-- A grant may be repeated: the role assignment window inserts without looking first.
CREATE TABLE [UsersRoles] (
    [Rec_ID] bigint IDENTITY(1, 1) NOT NULL CONSTRAINT [PK_UsersRoles] PRIMARY KEY,
    [UserName] nvarchar(50) NULL,
    [RoleName] nvarchar(50) NULL
);

CREATE INDEX [IX_UsersRoles_UserName] ON [UsersRoles] ([UserName]);

CREATE TABLE [Roles] (
    [Module] nvarchar(50) NULL,
    [Screen] nvarchar(50) NULL,
    [RoleName] nvarchar(50) NOT NULL CONSTRAINT [UQ_Roles_RoleName] UNIQUE,
    [RoleDesc] nvarchar(50) NULL,
    [RoleUsedBy] nvarchar(50) NULL
);

-- The role tree reads one module's screens and one screen's roles at a time.
CREATE INDEX [IX_Roles_Module_Screen] ON [Roles] ([Module], [Screen]);

CREATE TABLE [AppsVersions] (
    [App_ID] nvarchar(50) NOT NULL CONSTRAINT [UQ_AppsVersions_App_ID] UNIQUE,
    [App_Version] nvarchar(50) NULL
);

-- One row, Rec_ID 1, which the launcher updates and the modules print from.
CREATE TABLE [ReportingAssets] (
    [Rec_ID] bigint NOT NULL CONSTRAINT [PK_ReportingAssets] PRIMARY KEY,
    [Company_Name_en] nvarchar(50) NULL,
    [Company_Name_ar] nvarchar(50) NULL,
    [Company_Logo_Square] varbinary(max) NULL,
    [Company_Logo_Rectangle] varbinary(max) NULL
);

INSERT INTO [ReportingAssets] ([Rec_ID]) VALUES (1);
