1984 House of Representatives votes: Republican party against sixteen votes
*
_all_ b
*
free comma
votes84.csv
