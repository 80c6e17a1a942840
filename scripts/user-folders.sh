# Sourced by the scripts: the user's folders the program keeps its data in,
# as the program finds them (a relative XDG value is ignored, as the standard says).
#   data_home    ${XDG_DATA_HOME:-~/.local/share}    the database: $data_home/pelanova/data
#   config_home  ${XDG_CONFIG_HOME:-~/.config}       the settings: $config_home/pelanova
data_home="${XDG_DATA_HOME:-}"
[ "${data_home#/}" != "$data_home" ] || data_home="$HOME/.local/share"
config_home="${XDG_CONFIG_HOME:-}"
[ "${config_home#/}" != "$config_home" ] || config_home="$HOME/.config"
