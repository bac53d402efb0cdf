#include "cli/session.h"

#include "cli/cli_inputs.h"

namespace zelmora {

bool open_session(const std::string& database_path, settings_store& store, session& s, std::string& error_text) {
    s.database = connect_premium_database(database_path, error_text);
    if (!s.database) return false;
    s.reading.emplace(*s.database);
    s.rater = std::make_unique<rater_aph_continuous>(s.database.get());
    s.rater->read_settings(store);
    s.calculator = std::make_unique<premium_calculator>(s.database.get(), s.rater.get(), error_text);
    s.calculator->read_settings(store, error_text);
    s.calculator->read_b_values(error_text);
    s.calculator->read_b_value_table(error_text);
    apply_command_line_inputs(store, *s.calculator);
    s.surcharges = std::make_unique<surcharge_list>();
    s.surcharges->read_surcharges(*s.database, error_text);
    s.practice_codes.read_practice_codes(*s.database, error_text);
    s.type_codes.read_type_codes(*s.database, error_text);
    return true;
}

}  // namespace zelmora
