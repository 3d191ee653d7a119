-- Runs once when the script context is made, before any other script.
--
-- Server announcements reach announce_callback(number, text); until a
-- script sets its own, they are ignored here.
function announce_callback(number, text)
end
