-- The empty Numira database. Text compares without regard to letter case, as users of the
-- original Access files expect; the date is stored as ISO text "YYYY-MM-DDTHH:MM:SS".
CREATE TABLE programs (
    program TEXT COLLATE NOCASE
);

CREATE TABLE serials (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    program TEXT COLLATE NOCASE,
    version TEXT COLLATE NOCASE,
    name TEXT COLLATE NOCASE,
    serial TEXT COLLATE NOCASE,
    date TEXT
);

CREATE INDEX serials_program_version ON serials (program, version);

-- The search index: which records hold each trigram of the four searched fields, case folded,
-- read from serials and kept current by the triggers below. Files made without it, or with an
-- earlier version's ("detail = none" is how the program tells them apart), get it when opened.
CREATE VIRTUAL TABLE serials_search USING fts5(program, version, name, serial,
    tokenize = 'trigram case_sensitive 0', content = 'serials', content_rowid = 'id',
    columnsize = 0, detail = none);

CREATE TRIGGER serials_search_insert AFTER INSERT ON serials BEGIN
    INSERT INTO serials_search (rowid, program, version, name, serial)
    VALUES (new.id, new.program, new.version, new.name, new.serial);
END;

CREATE TRIGGER serials_search_delete AFTER DELETE ON serials BEGIN
    INSERT INTO serials_search (serials_search, rowid, program, version, name, serial)
    VALUES ('delete', old.id, old.program, old.version, old.name, old.serial);
END;

CREATE TRIGGER serials_search_update AFTER UPDATE ON serials BEGIN
    INSERT INTO serials_search (serials_search, rowid, program, version, name, serial)
    VALUES ('delete', old.id, old.program, old.version, old.name, old.serial);
    INSERT INTO serials_search (rowid, program, version, name, serial)
    VALUES (new.id, new.program, new.version, new.name, new.serial);
END;
