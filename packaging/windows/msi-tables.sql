-- What the MSI needs beyond wixl's elements, run by scripts/make-msi with msibuild, one statement a
-- line. wixl has no IniFile, DrLocator, component condition or permanent component.

-- Is there a Workers.ini already, in the folder given or defaulted (INSTALLFOLDER, before the
-- installed version's folder is known), and in the installed version's folder?
INSERT INTO `Signature` (`Signature`, `FileName`) VALUES ('IniInFolder', 'Workers.ini')
INSERT INTO `Signature` (`Signature`, `FileName`) VALUES ('IniInInstalled', 'Workers.ini')
CREATE TABLE `DrLocator` (`Signature_` CHAR(72) NOT NULL, `Parent` CHAR(72), `Path` CHAR(255), `Depth` SHORT PRIMARY KEY `Signature_`, `Parent`, `Path`)
INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('IniInFolder', '[INSTALLFOLDER]', 0)
INSERT INTO `DrLocator` (`Signature_`, `Parent`, `Depth`) VALUES ('IniInInstalled', 'RememberedFolder', 0)
INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('INI_IN_FOLDER', 'IniInFolder')
INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('INI_IN_INSTALLED', 'IniInInstalled')

-- One permanent component a value (16: permanent, 256: 64-bit), installed only when its property
-- is given and there is no Workers.ini. CreateLine (1) never replaces a key that is there.
UPDATE `Component` SET `Attributes` = 272, `Condition` = 'SERVER AND NOT WORKERSINI' WHERE `Component` = 'SettingSource'
UPDATE `Component` SET `Attributes` = 272, `Condition` = 'CATALOG AND NOT WORKERSINI' WHERE `Component` = 'SettingCatalog'
UPDATE `Component` SET `Attributes` = 272, `Condition` = 'SQLUSER AND NOT WORKERSINI' WHERE `Component` = 'SettingUserName'
UPDATE `Component` SET `Attributes` = 272, `Condition` = 'SHAREDFOLDER AND NOT WORKERSINI' WHERE `Component` = 'SettingSharedFolder'
UPDATE `Component` SET `Attributes` = 272, `Condition` = 'PORTAL AND NOT WORKERSINI' WHERE `Component` = 'SettingPortal'
CREATE TABLE `IniFile` (`IniFile` CHAR(72) NOT NULL, `FileName` CHAR(255) NOT NULL LOCALIZABLE, `DirProperty` CHAR(72), `Section` CHAR(96) NOT NULL LOCALIZABLE, `Key` CHAR(128) NOT NULL LOCALIZABLE, `Value` CHAR(255) NOT NULL LOCALIZABLE, `Action` SHORT NOT NULL, `Component_` CHAR(72) NOT NULL PRIMARY KEY `IniFile`)
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniSource', 'Workers.ini', 'INSTALLFOLDER', 'Database', 'Source', '[SERVER]', 1, 'SettingSource')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniCatalog', 'Workers.ini', 'INSTALLFOLDER', 'Database', 'Catalog', '[CATALOG]', 1, 'SettingCatalog')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniUserName', 'Workers.ini', 'INSTALLFOLDER', 'Database', 'UserName', '[SQLUSER]', 1, 'SettingUserName')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniSharedFolder', 'Workers.ini', 'INSTALLFOLDER', 'Distribution_Pathes', 'SharedFolder_Path', '[SHAREDFOLDER]', 1, 'SettingSharedFolder')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniPortal', 'Workers.ini', 'INSTALLFOLDER', 'CorvelPortal', 'URL', '[PORTAL]', 1, 'SettingPortal')
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveIniValues', 3800)
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteIniValues', 5100)

-- The old version goes only after the new one is in: its files that the new one shares (by
-- component) stay, so an upgrade never deletes a newer launcher that the launcher's own upgrade
-- put in place, and the file version rules then keep it.
UPDATE `InstallExecuteSequence` SET `Sequence` = 6601 WHERE `Action` = 'RemoveExistingProducts'

-- The properties an administrator passes reach the installer's service in every kind of install.
UPDATE `Property` SET `Value` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;INSTALLFOLDER;SERVER;CATALOG;SQLUSER;SHAREDFOLDER;PORTAL' WHERE `Property` = 'SecureCustomProperties'

-- Uninstall removes the launcher even when its own upgrade left a newer one than the package's,
-- which the file version rules alone would leave behind.
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('RemoveLauncher', 'Launcher', 'CorvelLauncher.exe', 'INSTALLFOLDER', 2)
