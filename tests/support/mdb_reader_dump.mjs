// Prints one table of an Access file as CSV through the npm package
// mdb-reader, a second opinion for encrypted .accdb files:
//   node mdb_reader_dump.mjs FILE TABLE PASSWORD
// The package is found through NODE_PATH (TARNQUILL_MDB_READER in the tests).
import { createRequire } from "module";
import { readFileSync } from "fs";

const require = createRequire(process.env.NODE_PATH ? process.env.NODE_PATH + "/" : import.meta.url);
const MDBReader = require("mdb-reader").default ?? require("mdb-reader");
const [file, tableName, password] = process.argv.slice(2);
const reader = new MDBReader(readFileSync(file), { password });
const table = reader.getTable(tableName);
const names = table.getColumnNames();
const pad = (n, w = 2) => String(n).padStart(w, "0");
const text = (v) => {
  if (v === null || v === undefined) return "";
  if (typeof v === "boolean") return v ? "1" : "0";
  if (v instanceof Date) {
    return `${pad(v.getUTCFullYear(), 4)}-${pad(v.getUTCMonth() + 1)}-${pad(v.getUTCDate())} ` +
      `${pad(v.getUTCHours())}:${pad(v.getUTCMinutes())}:${pad(v.getUTCSeconds())}`;
  }
  if (Buffer.isBuffer(v)) return v.toString("hex");
  if (Array.isArray(v)) return '"' + v.map((a) => a.name ?? String(a)).join("; ") + '"';
  if (typeof v === "string") return '"' + v.replaceAll('"', '""') + '"';
  return String(v);
};
const lines = [names.join(",")];
for (const row of table.getData()) lines.push(names.map((n) => text(row[n])).join(","));
process.stdout.write(lines.join("\n") + "\n");
