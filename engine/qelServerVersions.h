// The server versions that version-dependent text is chosen by, one
// enumeration a family, oldest first.
#pragma once

#include <cstdint>

namespace qel {

enum class TIBSQLServerVersionType : std::uint8_t {
    st_InterBase_4x, st_InterBase_5x, st_InterBase_6x, st_FireBird_1x, st_Yaffil_1x, st_FireBird_15,
    st_InterBase_7x, st_InterBase_75, st_Firebird_20, st_Firebird_21, st_Firebird_25, st_Firebird_30,
    st_Firebird_40, st_InterBase_2020
};

enum class TMSSQLServerVersionType : std::uint8_t {
    st_MSSQL2000, st_MSSQL2005, st_MSSQL2008, st_MSSQL2012, st_MSSQL2014, st_MSSQL2016, st_MSSQL2017, st_MSSQL2019
};

enum class TASAServerVersionType : std::uint8_t { st_ASA5, st_ASA6, st_ASA7, st_ASA8, st_ASA9 };

enum class TASEServerVersionType : std::uint8_t { st_ASE12 };

enum class TPGSQLServerVersionType : std::uint8_t {
    st_PostgreSQL_7x, st_PostgreSQL_8x, st_PostgreSQL_9x, st_PostgreSQL_10x, st_PostgreSQL_11x,
    st_PostgreSQL_12x, st_PostgreSQL_13x, st_PostgreSQL_14x
};

enum class TMySQLServerVersionType : std::uint8_t { st_MySQL_3x, st_MySQL_4x, st_MySQL_5x, st_MySQL_8x, st_MariaDB_10x };

enum class TOracleServerVersionType : std::uint8_t {
    st_Oracle_7x, st_Oracle_8x, st_Oracle_9x, st_Oracle_10x, st_Oracle_11x, st_Oracle_12x, st_Oracle_18x,
    st_Oracle_19x, st_Oracle_21x
};

enum class TDB2ServerVersionType : std::uint8_t { st_DB2_8x, st_DB2_9x, st_DB2_10x, st_DB2_11x };

// The InterBase SQL dialect, 1 to 3.
using TIBSQLDialectType = std::uint8_t;

} // namespace qel
