-- Corvel suite database: the SQL Server login the launcher connects with, and exactly the rights
-- its statements use. Run after sqlserver.sql, against the suite's database, as a member of
-- sysadmin, e.g.
--   sqlcmd -S <server> -d <catalog> -E -i sqlserver-grants.sql
-- Running it again changes nothing. @login is the UserName key of [Database] in every
-- workstation's Workers.ini. @publisher, when not empty, is a second login for corvel-publish,
-- which may also write AppsVersions; it is left disabled: enable it only while you publish.
-- Both sign in with the password built into the launcher, which the workstations cannot change.
DECLARE @login sysname = N'corvel_app';
DECLARE @publisher sysname = N'';

DECLARE @name sysname;
DECLARE @sql nvarchar(max);
DECLARE logins CURSOR LOCAL FAST_FORWARD FOR
    SELECT name FROM (VALUES (@login), (@publisher)) AS l(name) WHERE name <> N'';
OPEN logins;
FETCH NEXT FROM logins INTO @name;
WHILE @@FETCH_STATUS = 0
BEGIN
    -- No expiry (nobody can change the password) and no lockout policy: the password is in every
    -- copy of the launcher anyway, and a locked login would stop every workstation at once.
    IF SUSER_ID(@name) IS NULL
    BEGIN
        SET @sql = N'CREATE LOGIN ' + QUOTENAME(@name) + N' WITH PASSWORD = N''Kelvo8362'', '
            + N'DEFAULT_DATABASE = ' + QUOTENAME(DB_NAME())
            + N', CHECK_EXPIRATION = OFF, CHECK_POLICY = OFF';
        EXEC (@sql);
    END;
    IF DATABASE_PRINCIPAL_ID(@name) IS NULL
    BEGIN
        SET @sql = N'CREATE USER ' + QUOTENAME(@name) + N' FOR LOGIN ' + QUOTENAME(@name);
        EXEC (@sql);
    END;
    FETCH NEXT FROM logins INTO @name;
END;
CLOSE logins;
DEALLOCATE logins;

-- Login, the users window, the roles window, the version check before every launch and the
-- reporting assets window read these tables.
SET @sql = N'GRANT SELECT ON [Users] TO ' + QUOTENAME(@login) + N';'
    + N'GRANT SELECT ON [UsersRoles] TO ' + QUOTENAME(@login) + N';'
    + N'GRANT SELECT ON [Roles] TO ' + QUOTENAME(@login) + N';'
    + N'GRANT SELECT ON [AppsVersions] TO ' + QUOTENAME(@login) + N';'
    + N'GRANT SELECT ON [ReportingAssets] TO ' + QUOTENAME(@login) + N';'
    -- Adding and modifying users, resetting and changing passwords.
    + N'GRANT INSERT, UPDATE ON [Users] TO ' + QUOTENAME(@login) + N';'
    -- Granting and removing roles.
    + N'GRANT INSERT, DELETE ON [UsersRoles] TO ' + QUOTENAME(@login) + N';'
    -- Company names and logos.
    + N'GRANT UPDATE ON [ReportingAssets] TO ' + QUOTENAME(@login) + N';';
EXEC (@sql);

-- corvel-publish reads a row, then updates it or inserts it.
IF @publisher <> N''
BEGIN
    SET @sql = N'GRANT SELECT, INSERT, UPDATE ON [AppsVersions] TO ' + QUOTENAME(@publisher) + N';'
        + N'ALTER LOGIN ' + QUOTENAME(@publisher) + N' DISABLE;';
    EXEC (@sql);
END;
