CREATE TABLE IF NOT EXISTS tbl_file (
  path TEXT PRIMARY KEY NOT NULL,
  parent_dir TEXT,
  compressed INTEGER NOT NULL DEFAULT 0,
  size INTEGER NOT NULL DEFAULT 0,
  data BLOB
);
CREATE INDEX IF NOT EXISTS idx_file_parent ON tbl_file (parent_dir);
CREATE TABLE IF NOT EXISTS tbl_dir (
  path TEXT PRIMARY KEY NOT NULL,
  parent TEXT
);
CREATE TABLE IF NOT EXISTS metadata (
  version INTEGER
);
